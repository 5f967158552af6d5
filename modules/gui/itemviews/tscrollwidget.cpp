#include "tscrollwidget.h"

#include <QDebug>
#include <QResizeEvent>

TScrollWidget::TScrollWidget(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("opaqueWidget"));
}

void TScrollWidget::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    qDebug() << "TScrollWidget::resizeEvent:" << event->size().width();
    if (event->size().width() != event->oldSize().width())
        emit widthChanged(event->size().width());
}
