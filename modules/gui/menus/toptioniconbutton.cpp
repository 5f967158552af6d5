#include "toptioniconbutton.h"

#include "tflashanimator.h"
#include "toption.h"
#include "tstylesheet.h"

#include <QKeyEvent>
#include <QStyleOptionToolButton>
#include <QStylePainter>

TOptionIconButton::TOptionIconButton(QWidget *parent)
    : TOptionButton(parent, BarButton)
{
    setMinimumSize(58, 58);
    initIcon();
}

TOptionIconButton::TOptionIconButton(TOption *option, QWidget *parent)
    : TOptionButton(option, parent, BarButton)
{
    if (option) {
        setToolTip(option->text());
        if (!option->iconName().isEmpty()) {
            const QPixmap image = TStyleSheet::instance()->getButtonPixmap(option->iconName(), TStyleSheet::Normal);
            setMinimumSize(image.size().expandedTo(QSize(58, 58)));
        }
    }
    initIcon();
}

void TOptionIconButton::initIcon()
{
    setMaximumHeight(10000);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

TOptionIconButton::~TOptionIconButton()
{
    if (m_flashing && m_animator)
        m_animator->removeWidget(this);
}

void TOptionIconButton::setTextFlags(int flags)
{
    m_textFlags = flags;
    if (m_option) {
        if (flags & DrawText) {
            if (toolTip() == m_option->text())
                setToolTip(QString());
        } else if (toolTip().isEmpty()) {
            setToolTip(m_option->text());
        }
    }
    update();
}

void TOptionIconButton::setFlashing(bool flashing)
{
    if (flashing == m_flashing)
        return;
    m_flashing = flashing;
    if (flashing) {
        if (!m_animator)
            m_animator = new TFlashAnimator(this);
        if (isVisible())
            m_animator->addWidget(this);
    } else if (m_animator) {
        m_animator->removeWidget(this);
    }
    update();
}

void TOptionIconButton::showEvent(QShowEvent *event)
{
    TOptionButton::showEvent(event);
    if (m_flashing && m_animator)
        m_animator->addWidget(this);
}

void TOptionIconButton::hideEvent(QHideEvent *event)
{
    TOptionButton::hideEvent(event);
    if (m_flashing && m_animator)
        m_animator->parkWidget(this);
}

void TOptionIconButton::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    if (key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_Left || key == Qt::Key_Right) {
        event->ignore();
        return;
    }
    TOptionButton::keyPressEvent(event);
}

void TOptionIconButton::keyReleaseEvent(QKeyEvent *event)
{
    const int key = event->key();
    if (key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_Left || key == Qt::Key_Right) {
        event->accept();
        return;
    }
    TOptionButton::keyReleaseEvent(event);
}

QString TOptionIconButton::imageState() const
{
    QStyleOptionToolButton opt;
    initStyleOption(&opt);
    const bool enabled = !m_option || m_option->isEnabled();
    if (!enabled || !isEnabled())
        return QStringLiteral("_disabled");
    return (isChecked() != isDown()) ? QStringLiteral("_pressed") : QStringLiteral("_normal");
}

void TOptionIconButton::paintEvent(QPaintEvent *)
{
    QStylePainter p(this);
    QStyleOptionToolButton opt;
    QRect buttonRect, content;
    initOption(&opt, &buttonRect, &content);
    opt.rect = buttonRect;
    if (m_textFlags & DrawPanel)
        p.drawPrimitive(QStyle::PE_PanelButtonTool, opt);
    if (!(opt.state & QStyle::State_Enabled))
        p.setOpacity(0.3);
    const QString state = imageState();
    if (m_option && !m_option->iconName().isEmpty()) {
        TStyleSheet *sheet = TStyleSheet::instance();
        const QString name = m_option->iconName();
        QPixmap image = sheet->getPixmap(name + state, false);
        if (image.isNull())
            image = sheet->getPixmap(name + QStringLiteral("_normal"), true);
        const QPoint at(content.left() + (content.width() - image.width()) / 2,
                        content.top() + (content.height() - image.height()) / 2);
        p.drawPixmap(at, image);
        if (m_flashing && m_animator) {
            p.setOpacity(m_animator->opacity());
            p.drawPixmap(at, sheet->getPixmap(name + QStringLiteral("_over") + state, false));
            p.setOpacity(1.0);
        }
    }
    if ((m_textFlags & DrawText) && !text().isEmpty()) {
        QFont f = font();
        f.setWeight(state == QLatin1String("_pressed") ? 75 : 50);
        p.setFont(f);
        p.drawText(content, Qt::AlignHCenter | Qt::AlignBottom | Qt::TextShowMnemonic, text());
    }
}

QSize TOptionIconButton::sizeHint() const
{
    QSize s(58, 58);
    if (m_option && !m_option->iconName().isEmpty())
        s = s.expandedTo(TStyleSheet::instance()->getButtonPixmap(m_option->iconName(), TStyleSheet::Normal).size());
    if ((m_textFlags & DrawText) && !text().isEmpty()) {
        // The text is drawn inside the frame's contents: add the border and padding.
        QStyleOptionToolButton opt;
        QRect buttonRect, content;
        initOption(&opt, &buttonRect, &content);
        const int frame = qMax(0, width() - content.width());
        const QSize textSize = fontMetrics().size(Qt::TextShowMnemonic, text());
        s = s.expandedTo(QSize(textSize.width() + frame, textSize.height()));
    }
    return s;
}

QWidget *TOptionIconButton::createMenuButton(TOptionMenuWindow *window, int direction)
{
    if (isHidden() || !isVisible())
        return nullptr;
    auto *copy = new TOptionIconButton(nullptr);
    auto *option = new TOption(m_option ? m_option->text() : text(), m_option ? m_option->iconName() : QString(), copy, nullptr);
    copy->setOption(option);
    copy->m_textFlags = m_textFlags | DrawPanel;
    copy->setToolTip(tr("Close menu"));
    QRect r(QPoint(0, 0), size());
    if (m_textFlags & DrawText)
        r.adjust(-2, -5, 2, 5);
    prepareMenuButton(copy, window, direction, r);
    return copy;
}
