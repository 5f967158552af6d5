#include "zeldevicelistitem.h"

#include "tactivitywidget.h"
#include "toption.h"
#include "toptioniconbutton.h"
#include "tstylesheet.h"

#include <QApplication>
#include <QHelpEvent>
#include <QPainter>
#include <QStyle>
#include <QToolTip>

QPoint ZelDeviceListItem::s_stateIconPos(0, 0);

namespace {

QWidget *makeProbe(const QString &name, QWidget *parent)
{
    auto *probe = new QWidget(parent);
    probe->setObjectName(name);
    probe->hide();
    return probe;
}

} // namespace

ZelDeviceListItem::ZelDeviceListItem(const QString &deviceImageName, QWidget *parent)
    : QWidget(parent)
    , m_deviceImageName(deviceImageName)
{
    m_option = new TOption(QString(), deviceImageName, this, SLOT(handleDeviceSelected()));
    m_option->setParent(this);
    m_imageButton = new TOptionIconButton(m_option, this);
    m_imageButton->setGeometry(5, 5, 100, 100);
    m_imageButton->setTextFlags(0);
    m_stateIcon = new TActivityWidget(20, this);
    m_stateIcon->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_stateIcon->setGeometry(QRect(s_stateIconPos, QSize(40, 40)));

    m_headingFont = QApplication::font("default normal");
    m_headingFont.setWeight(75);
    m_headingFont.setPointSize(12);
    m_textFont = QApplication::font("default normal");
    m_textFont.setPointSize(11);
    m_valueFont = m_textFont;
    m_headingProbe = makeProbe(QStringLiteral("deviceListItemHeading"), this);
    m_labelProbe = makeProbe(QStringLiteral("deviceListItemStatusDesc"), this);
    m_valueProbe = makeProbe(QStringLiteral("deviceListItemStatusValue"), this);

    setFixedHeight(110);
    setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Fixed);
}

void ZelDeviceListItem::setTexts(const QString &name, const QString &firstLabel, const QString &firstValue,
                                 const QString &secondLabel, const QString &secondValue)
{
    m_name = name;
    m_firstLabel = firstLabel;
    m_firstValue = firstValue;
    m_secondLabel = secondLabel;
    m_secondValue = secondValue;
    update();
}

void ZelDeviceListItem::setStateIcon(const QString &imageName, bool animated)
{
    m_stateIcon->setIconName(imageName);
    m_stateIcon->setActive(animated);
    update();
}

void ZelDeviceListItem::setServiceMarks(const QList<QPair<QString, QString>> &marks)
{
    m_marks = marks;
    update();
}

void ZelDeviceListItem::setImagesVisible(bool visible)
{
    m_stateIcon->setVisible(visible);
    m_option->setIconName(visible ? m_deviceImageName : QString());
}

void ZelDeviceListItem::cycleStateIconPosition(const QList<ZelDeviceListItem *> &rows)
{
    static const QPoint places[4] = {QPoint(0, 0), QPoint(0, 35), QPoint(0, 70), QPoint(70, 70)};
    int at = 0;
    for (int i = 0; i < 4; ++i) {
        if (places[i] == s_stateIconPos)
            at = i;
    }
    s_stateIconPos = places[(at + 1) % 4];
    for (ZelDeviceListItem *row : rows)
        row->m_stateIcon->setGeometry(QRect(s_stateIconPos, QSize(40, 40)));
}

void ZelDeviceListItem::handleDeviceSelected()
{
    emit selected(this);
}

void ZelDeviceListItem::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QRect area = rect();
    area.setLeft(106);
    area.setTop(15);
    QStyle *st = style();
    const int flags = Qt::AlignLeft | Qt::AlignTop;
    auto drawText = [&](const QRect &r, const QFont &font, const QString &text, const QPalette &palette) {
        painter.setFont(font);
        const QString shown = QFontMetrics(font).elidedText(text, Qt::ElideRight, r.width());
        st->drawItemText(&painter, r, flags, palette, true, shown, QPalette::Text);
        return QFontMetrics(font).horizontalAdvance(shown);
    };

    m_shownName = QFontMetrics(m_headingFont).elidedText(m_name, Qt::ElideRight, area.width());
    drawText(area, m_headingFont, m_name, m_headingProbe->palette());
    area.setTop(area.top() + QFontMetrics(m_headingFont).height() + 2);
    auto drawLine = [&](const QString &label, const QString &value, bool first) {
        const int labelWidth = drawText(area, m_textFont, label, m_labelProbe->palette());
        QRect valueRect = area;
        valueRect.setLeft(area.left() + labelWidth + 5);
        if (first) {
            m_firstLabelEnd = area.left() + labelWidth;
            m_firstValueStart = valueRect.left();
        }
        drawText(valueRect, m_valueFont, value, m_valueProbe->palette());
    };
    drawLine(m_firstLabel, m_firstValue, true);
    area.setTop(area.top() + QFontMetrics(m_textFont).height() + 2);
    drawLine(m_secondLabel, m_secondValue, false);
    area.setTop(area.top() + QFontMetrics(m_textFont).height() + 1);

    m_marksCell = QRect(area.left(), area.top(), 21, 21);
    int x = area.left();
    for (const auto &mark : qAsConst(m_marks)) {
        const QPixmap image = TStyleSheet::instance()->getPixmap(mark.first, false);
        if (image.isNull())
            continue;
        painter.drawPixmap(x, area.top(), image);
        x += image.width() + 2;
    }
}

QString ZelDeviceListItem::markTextAt(const QPoint &pos) const
{
    QRect cell = m_marksCell;
    for (const auto &mark : m_marks) {
        if (cell.contains(pos))
            return mark.second;
        cell.translate(23, 0);
    }
    return QString();
}

bool ZelDeviceListItem::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(event);
        const QString text = markTextAt(help->pos());
        if (!text.isEmpty())
            QToolTip::showText(help->globalPos(), text, this);
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(event);
}
