#include "toptionbutton.h"

#include "tabstractsubwindow.h"
#include "tmainwindow.h"
#include "toption.h"
#include "toptionmenuwindow.h"
#include "tstylesheet.h"

#include <QApplication>
#include <QDebug>
#include <QKeyEvent>
#include <QPainter>
#include <QPointer>
#include <functional>
#include <QStyleOptionToolButton>
#include <QStylePainter>

TOptionButton::TOptionButton(QWidget *parent, ButtonType type)
    : QToolButton(parent)
    , m_type(type)
{
    qDebug() << "TOptionButton::TOptionButton: Start of function. this=" << static_cast<void *>(this);
    init();
    connect(this, &QAbstractButton::pressed, this, &TOptionButton::debugButtonPressed);
}

TOptionButton::TOptionButton(TOption *option, QWidget *parent, ButtonType type)
    : QToolButton(parent)
    , m_type(type)
{
    qDebug() << "TOptionButton::TOptionButton: Start of function. this=" << static_cast<void *>(this);
    init();
    setOption(option);
}

void TOptionButton::init()
{
    if (m_type == BarButton) {
        m_textAlignment = Qt::AlignHCenter | Qt::AlignVCenter;
    } else {
        m_textAlignment = Qt::AlignLeft | Qt::AlignVCenter;
        setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    }
    setFixedHeight(58);
    setMinimumWidth(120);
}

TOptionButton::~TOptionButton()
{
    if (m_option)
        disconnect(m_option, nullptr, this, nullptr);
}

void TOptionButton::setOption(TOption *option)
{
    if (m_option) {
        disconnect(m_option, &QObject::destroyed, this, &TOptionButton::optionDestroyedHandler);
        disconnect(this, &QAbstractButton::clicked, this, &TOptionButton::clickHandler);
        disconnect(m_option, SIGNAL(leafSelected()), this, SIGNAL(leafSelected()));
        disconnect(m_option, &TOption::updated, this, &TOptionButton::optionUpdatedHandler);
    }
    m_option = option;
    if (m_option) {
        connect(m_option, &QObject::destroyed, this, &TOptionButton::optionDestroyedHandler);
        connect(this, &QAbstractButton::clicked, this, &TOptionButton::clickHandler);
        connect(m_option, SIGNAL(leafSelected()), this, SIGNAL(leafSelected()));
        connect(m_option, &TOption::updated, this, &TOptionButton::optionUpdatedHandler);
        setCheckable(m_option->hasSubMenu());
        setText(m_option->text());
        setEnabled(m_option->isEnabled());
    } else {
        setCheckable(false);
        setText(QString());
        setEnabled(true);
    }
    update();
}

void TOptionButton::optionUpdatedHandler()
{
    if (!m_option)
        return;
    setCheckable(m_option->hasSubMenu());
    setText(m_option->text());
    setEnabled(m_option->isEnabled());
    update();
}

void TOptionButton::optionDestroyedHandler(QObject *object)
{
    if (object != m_option)
        return;
    disconnect(this, &QAbstractButton::clicked, this, &TOptionButton::clickHandler);
    setCheckable(false);
    setText(QString());
    m_option = nullptr;
    update();
}

void TOptionButton::setDefault(bool on)
{
    if (on == m_default)
        return;
    m_default = on;
    setObjectName(on ? QStringLiteral("defaultOptionButton") : QString());
    update();
}

void TOptionButton::setElideMode(Qt::TextElideMode mode)
{
    m_elideMode = mode;
    update();
}

void TOptionButton::debugButtonPressed()
{
    qDebug() << "TOptionButton::debugButtonPressed: Button text=" << text();
}

void TOptionButton::clickHandler()
{
    qDebug() << "TOptionButton::clickHandler: button text=" << text();
    for (QObject *p = parent(); p; p = p->parent())
        qDebug() << "TOptionButton::clickHandler: parent" << p->metaObject()->className() << p->objectName();
    if (!m_option)
        return;
    // The option may die in its receiver's slot; keep a guard.
    QPointer<TOption> option = m_option;
    emit option->selected(this);
    if (!option)
        return;
    if (option->hasSubMenu()) {
        TOptionMenuWindow::showMenu(this);
        setChecked(false);
    } else {
        emit option->leafSelected(option->id);
    }
    if (option && option->pPopUpWindow) {
        qDebug() << "TOptionButton::clickHandler: About to run pOption->pPopUpWindow->showWindow(this), where this=" << static_cast<void *>(this);
        option->pPopUpWindow->showWindow(this);
    }
}

static int arrowKeyOfDirection(int direction)
{
    switch (direction) {
    case 0: return Qt::Key_Up;
    case 1: return Qt::Key_Down;
    case 2: return Qt::Key_Left;
    default: return Qt::Key_Right;
    }
}

static bool isArrowKey(int key)
{
    return key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_Left || key == Qt::Key_Right;
}

void TOptionButton::actAsSpace(QKeyEvent *event, bool press)
{
    QKeyEvent space(press ? QEvent::KeyPress : QEvent::KeyRelease, Qt::Key_Space, event->modifiers(),
                    event->text(), event->isAutoRepeat(), ushort(event->count()));
    if (press) {
        QToolButton::keyPressEvent(&space);
    } else {
        if (!event->isAutoRepeat() && isDown())
            m_openedByKeyboard = true;
        QToolButton::keyReleaseEvent(&space);
    }
    event->setAccepted(space.isAccepted());
}

static void handleKey(TOptionButton *button, QKeyEvent *event, bool press, bool hasSubMenu, int direction,
                      const std::function<void(QKeyEvent *)> &asSpace, const std::function<void(QKeyEvent *)> &base)
{
    const int key = event->key();
    if (key == Qt::Key_Return) {
        asSpace(event);
        return;
    }
    if (hasSubMenu) {
        if (key == Qt::Key_Space || key == Qt::Key_Menu || key == arrowKeyOfDirection(direction)) {
            asSpace(event);
            return;
        }
    }
    if (isArrowKey(key)) {
        if (press)
            event->ignore();
        else
            event->accept();
        return;
    }
    Q_UNUSED(button);
    base(event);
}

void TOptionButton::keyPressEvent(QKeyEvent *event)
{
    handleKey(this, event, true, m_option && m_option->hasSubMenu(), m_direction,
              [this](QKeyEvent *e) { actAsSpace(e, true); },
              [this](QKeyEvent *e) { QToolButton::keyPressEvent(e); });
}

void TOptionButton::keyReleaseEvent(QKeyEvent *event)
{
    handleKey(this, event, false, m_option && m_option->hasSubMenu(), m_direction,
              [this](QKeyEvent *e) { actAsSpace(e, false); },
              [this](QKeyEvent *e) { QToolButton::keyReleaseEvent(e); });
}

void TOptionButton::focusOutEvent(QFocusEvent *event)
{
    m_openedByKeyboard = false;
    QToolButton::focusOutEvent(event);
}

QString TOptionButton::arrowImageName(int direction, bool checked)
{
    static const char *names[4] = {"zkgui_option_menu_arrow_up", "zkgui_option_menu_arrow_down",
                                   "zkgui_option_menu_arrow_left", "zkgui_option_menu_arrow_right"};
    static const int reversed[4] = {1, 0, 3, 2};
    const int d = (direction >= 0 && direction < 4) ? direction : 3;
    return QString::fromLatin1(names[checked ? reversed[d] : d]);
}

void TOptionButton::initOption(QStyleOptionToolButton *opt, QRect *buttonRect, QRect *contentRect) const
{
    initStyleOption(opt);
    if (m_option && m_option->hasSubMenu() && isChecked())
        opt->state |= QStyle::State_Selected;
    if (!m_option || m_option->isEnabled())
        opt->state |= QStyle::State_Enabled;
    *buttonRect = style()->subControlRect(QStyle::CC_ToolButton, opt, QStyle::SC_ToolButton, this);
    *contentRect = style()->subElementRect(QStyle::SE_FrameContents, opt, this);
    if (!contentRect->isValid())
        *contentRect = rect();
}

void TOptionButton::paintEvent(QPaintEvent *)
{
    QStylePainter p(this);
    QStyleOptionToolButton opt;
    QRect buttonRect, content;
    initOption(&opt, &buttonRect, &content);
    opt.rect = buttonRect;
    p.drawPrimitive(QStyle::PE_PanelButtonTool, opt);
    if (!(opt.state & QStyle::State_Enabled))
        p.setOpacity(0.3);

    QRect textRect = content;
    if (isCheckable()) {
        const QPixmap arrow = TStyleSheet::instance()->getPixmap(arrowImageName(m_direction, isChecked()));
        const QPoint at(content.right() - arrow.width() + 1, content.top() + (content.height() - arrow.height()) / 2);
        p.drawPixmap(at, arrow);
        textRect.setRight(at.x() - 5 - 1);
    }
    const int flags = int(m_textAlignment) | Qt::TextShowMnemonic;
    const QString iconName = m_option ? m_option->iconName() : QString();
    if (!iconName.isEmpty()) {
        const QPixmap image = TStyleSheet::instance()->getPixmap(iconName);
        QPoint at(content.left(), content.top() + (content.height() - image.height()) / 2);
        textRect.setLeft(content.left() + image.width() + 5);
        const QString elided = fontMetrics().elidedText(text(), m_elideMode, textRect.width(), Qt::TextShowMnemonic);
        if (m_textAlignment & Qt::AlignHCenter) {
            const QRect placed = style()->itemTextRect(fontMetrics(), textRect, flags, true, elided);
            const int half = (textRect.width() - placed.width()) / 2;
            if (half > 0) {
                at.rx() += half;
                textRect.translate(half, 0);
            }
        }
        p.drawPixmap(at, image);
        p.drawText(textRect, flags | Qt::TextWordWrap, elided);
    } else {
        const QString elided = fontMetrics().elidedText(text(), m_elideMode, content.width(), Qt::TextShowMnemonic);
        p.drawText(textRect, flags | Qt::TextWordWrap, elided);
    }
}

QSize TOptionButton::sizeHint() const
{
    int w = 0;
    if (isCheckable())
        w += TStyleSheet::instance()->getPixmap(arrowImageName(m_direction, false)).width() + 5;
    if (m_option && !m_option->iconName().isEmpty())
        w += TStyleSheet::instance()->getPixmap(m_option->iconName()).width() + 5;
    w += fontMetrics().size(Qt::TextShowMnemonic, text()).width();
    QStyleOptionToolButton opt;
    initStyleOption(&opt);
    return style()->sizeFromContents(QStyle::CT_ToolButton, &opt, QSize(w, 0), this)
        .expandedTo(QApplication::globalStrut());
}

void TOptionButton::prepareMenuButton(TOptionButton *copy, TOptionMenuWindow *window, int direction, QRect rect)
{
    copy->setObjectName(QString::fromLatin1(directionName(direction)));
    copy->setDirection(direction);
    copy->setFocusPolicy(Qt::NoFocus);
    TMainWindow *main = TMainWindow::instance();
    const QPoint corner = main ? main->mapToMainWindow(this, QPoint(0, 0)) : mapTo(this->window(), QPoint(0, 0));
    rect.moveTopLeft(rect.topLeft() + corner);
    copy->setGeometry(rect);
    copy->setFixedSize(rect.size());
    copy->setCheckable(true);
    copy->setChecked(true);
    connect(copy, SIGNAL(clicked()), window, SLOT(close()));
}

QWidget *TOptionButton::createMenuButton(TOptionMenuWindow *window, int direction)
{
    if (isHidden() || !isVisible() || !isEnabled())
        return nullptr;
    auto *copy = new TOptionButton(nullptr, BarButton);
    auto *option = new TOption(m_option ? m_option->text() : text(), m_option ? m_option->iconName() : QString(), copy, nullptr);
    copy->setOption(option);
    copy->m_textAlignment = m_textAlignment;
    copy->m_elideMode = m_elideMode;
    prepareMenuButton(copy, window, direction, QRect(QPoint(0, 0), size()));
    return copy;
}
