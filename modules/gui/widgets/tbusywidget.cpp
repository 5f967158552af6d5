#include "tbusywidget.h"

#include "tstylesheet.h"

#include <QCloseEvent>
#include <QDebug>
#include <QGraphicsItemAnimation>
#include <QGraphicsPixmapItem>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QPainter>
#include <QTimeLine>
#include <QTimer>
#include <QtMath>

namespace {
const char arrowImage[] = "zkgui_busy_arrow";
}

TBusyWidget::TBusyWidget(QWidget *parent)
    : QWidget(parent)
{
    qRegisterMetaType<TBusyWidget::EndReason>("TBusyWidget::EndReason");
    m_stateTimer = new QTimer(this);
    m_stateTimer->setSingleShot(true);
    connect(m_stateTimer, &QTimer::timeout, this, &TBusyWidget::handleStateTimeout);
}

bool TBusyWidget::arrowShown() const
{
    return m_view && m_view->isVisible();
}

void TBusyWidget::setBusy(const QString &iconName, const QString &text, int timeoutMs)
{
    m_state = Waiting;
    m_endReason = None;
    m_iconName = iconName;
    m_text = text;
    m_timeout = timeoutMs;
    m_stateTimer->start(50);
    show();
}

void TBusyWidget::clearBusy()
{
    qDebug() << "TBusyWidget::clearBusy: state" << m_state;
    switch (m_state) {
    case Waiting:
    case WaitingForEnd:
        m_endReason = Cleared;
        close();
        break;
    case Busy:
        m_endReason = Cleared;
        m_state = ClearPending;
        break;
    default:
        break;
    }
}

void TBusyWidget::buildArrow()
{
    m_view = new QGraphicsView(this);
    m_view->setFrameShape(QFrame::NoFrame);
    m_view->setFrameShadow(QFrame::Plain);
    m_view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_view->setFocusPolicy(Qt::NoFocus);
    m_view->setStyleSheet(QStringLiteral("background: transparent"));
    m_view->setGeometry(m_blockX, m_blockY, m_arrowSide, m_arrowSide);
    m_scene = new QGraphicsScene(m_view);
    m_view->setScene(m_scene);
    m_view->scale(1, 1);
    m_view->setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    const QPixmap arrow = TStyleSheet::instance()->getPixmap(QLatin1String(arrowImage), true);
    m_arrowItem = m_scene->addPixmap(arrow);
    m_arrowItem->setTransformationMode(Qt::SmoothTransformation);
    m_arrowItem->setOffset(-arrow.width() / 2.0, -arrow.height() / 2.0);
    m_timeLine = new QTimeLine(800, this);
    m_timeLine->setUpdateInterval(50);
    m_timeLine->setEasingCurve(QEasingCurve::Linear);
    m_timeLine->setLoopCount(0);
    m_animation = new QGraphicsItemAnimation(this);
    m_animation->setItem(m_arrowItem);
    m_animation->setTimeLine(m_timeLine);
    m_animation->setRotationAt(0, 0);
    m_animation->setRotationAt(1, 360);
}

void TBusyWidget::handleStateTimeout()
{
    qDebug() << "TBusyWidget::handleStateTimeout: state" << m_state;
    switch (m_state) {
    case Waiting:
        if (!m_view)
            buildArrow();
        m_view->show();
        m_timeLine->start();
        m_stateTimer->start(400);
        m_state = Busy;
        update();
        break;
    case Busy:
        m_state = WaitingForEnd;
        if (m_timeout <= 0)
            break;
        if (m_timeout > 450) {
            m_stateTimer->start(m_timeout - 450);
        } else {
            m_endReason = TimedOut;
            close();
        }
        break;
    case ClearPending:
        m_endReason = Cleared;
        close();
        break;
    case WaitingForEnd:
        m_endReason = TimedOut;
        close();
        break;
    default:
        break;
    }
}

void TBusyWidget::closeEvent(QCloseEvent *event)
{
    qDebug() << "TBusyWidget::closeEvent: reason" << m_endReason;
    m_state = Idle;
    m_stateTimer->stop();
    if (m_view) {
        m_view->hide();
        m_timeLine->stop();
    }
    if (m_endReason == None)
        m_endReason = Closed;
    emit busyEnded(m_endReason);
    QWidget::closeEvent(event);
}

void TBusyWidget::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    const QPixmap arrow = TStyleSheet::instance()->getPixmap(QLatin1String(arrowImage), true);
    m_widgetWidth = width();
    m_widgetHeight = height();
    m_arrowSide = qRound(qSqrt(qreal(arrow.width()) * arrow.width() + qreal(arrow.height()) * arrow.height()));
    m_blockWidth = m_arrowSide + fontMetrics().horizontalAdvance(m_text);
    m_blockX = (m_widgetWidth - m_blockWidth) / 2;
    m_blockY = (m_widgetHeight - m_arrowSide) / 2;
    if (m_view)
        m_view->setGeometry(m_blockX, m_blockY, m_arrowSide, m_arrowSide);
}

void TBusyWidget::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect(), QColor(0, 0, 0, 160));
    if (m_state == Idle || m_state == Waiting)
        return;
    QPen pen = painter.pen();
    pen.setWidth(2);
    painter.setPen(pen);
    painter.setBrush(QColor(0, 0, 0));
    const int x = m_blockX;
    const int y = m_blockY;
    const int s = m_arrowSide;
    painter.drawRoundedRect(QRect(x + 7, y + 7, m_blockWidth - 8, s - 14), 10, 10, Qt::AbsoluteSize);
    const QFontMetrics fm = fontMetrics();
    painter.drawText(x + s - 10, (height() - fm.descent() + fm.ascent()) / 2, m_text);
    const QPixmap arrow = TStyleSheet::instance()->getPixmap(QLatin1String(arrowImage), true);
    painter.drawPixmap(x + (s - arrow.width()) / 2, y + (s - arrow.height()) / 2, arrow);
}
