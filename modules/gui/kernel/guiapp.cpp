#include "guiapp.h"

#include <QDebug>
#include <QFont>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

GuiApp *GuiApp::s_instance = nullptr;

namespace {

QString describe(QObject *receiver)
{
    if (!receiver)
        return QStringLiteral("null");
    return QString::fromLatin1(receiver->metaObject()->className()) + QLatin1Char('(')
        + receiver->objectName() + QLatin1Char(')');
}

bool isLeftOrRight(QEvent *event)
{
    const Qt::MouseButton button = static_cast<QMouseEvent *>(event)->button();
    return button == Qt::LeftButton || button == Qt::RightButton;
}

} // namespace

GuiApp::GuiApp(int &argc, char **argv)
    : QApplication(argc, argv)
{
    setOrganizationName(QStringLiteral("Vantor & Vantor"));
    setOrganizationDomain(QStringLiteral("vantor.example"));
    m_lastPressed = nullptr;
    s_instance = this;

    // Style sheets name the maker's font families; map them to the families this platform has.
    QFont::insertSubstitution(QStringLiteral("Droid Sans"), normalFontFamily());
    QFont::insertSubstitution(QStringLiteral("Droid Sans Open Four"), normalFontFamily());
    QFont::insertSubstitution(QStringLiteral("Droid Sans Mono"), monoFontFamily());
    QFont::insertSubstitution(QStringLiteral("Droid Sans Mono Open Four"), monoFontFamily());
    setFont(QFont(normalFontFamily()), "default normal");
    setFont(QFont(monoFontFamily()), "default mono");
}

GuiApp::~GuiApp()
{
    if (s_instance == this)
        s_instance = nullptr;
}

GuiApp *GuiApp::instance()
{
    return s_instance;
}

QString GuiApp::normalFontFamily()
{
    return QStringLiteral("DejaVu Sans");
}

QString GuiApp::monoFontFamily()
{
    return QStringLiteral("DejaVu Sans Mono");
}

bool GuiApp::notify(QObject *receiver, QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        if (!isLeftOrRight(event))
            return true;
        m_lastPressed = receiver;
        break;
    case QEvent::MouseButtonRelease: {
        if (!isLeftOrRight(event))
            return true;
        m_lastPressed = nullptr;
        const QPoint global = static_cast<QMouseEvent *>(event)->globalPos();
        qDebug().noquote() << QStringLiteral("GuiApp::notify: MouseButtonRelease: x=%1, y=%2 for receiver=%3")
                                  .arg(global.x()).arg(global.y()).arg(describe(receiver));
        break;
    }
    case QEvent::MouseButtonDblClick: {
        // Qt delivers the second press of a quick double tap as a double-click
        // in place of a press; widgets here know no double-clicks, so it goes
        // on as the press it stands for.
        if (!isLeftOrRight(event))
            return true;
        const auto *dbl = static_cast<QMouseEvent *>(event);
        QMouseEvent press(QEvent::MouseButtonPress, dbl->localPos(), dbl->windowPos(), dbl->screenPos(),
                          dbl->button(), dbl->buttons(), dbl->modifiers(), dbl->source());
        press.setTimestamp(dbl->timestamp());
        m_lastPressed = receiver;
        const bool result = QApplication::notify(receiver, &press);
        event->setAccepted(press.isAccepted());
        return result;
    }
    case QEvent::ContextMenu:
        return true;
    case QEvent::KeyPress:
        traceKeyPress(receiver, event);
        break;
    default:
        break;
    }
    return QApplication::notify(receiver, event);
}

void GuiApp::traceKeyPress(QObject *receiver, QEvent *event) const
{
    const auto *key = static_cast<QKeyEvent *>(event);
    const QString who = describe(receiver);
    if (key->modifiers() & Qt::AltModifier)
        qDebug().noquote() << "GuiApp::notify: KeyPress: AltModifier pressed for receiver=." << who;
    const char *text = nullptr;
    switch (key->key()) {
    case Qt::Key_Escape: text = "KeyPress: Escape pressed for receiver=."; break;
    case Qt::Key_Space: text = "KeyPress: Key_Space pressed for receiver=."; break;
    case Qt::Key_Tab: text = "KeyPress: Key_Tab pressed for receiver=."; break;
    case Qt::Key_Backspace: text = "KeyPress: Key_Backspace pressed for receiver=."; break;
    case Qt::Key_Return: text = "KeyPress: Key_Return pressed for receiver=."; break;
    case Qt::Key_Home: text = "KeyPress: Key_Home pressed for receiver=."; break;
    case Qt::Key_End: text = "KeyPress: Key_End pressed for receiver=."; break;
    case Qt::Key_Up: text = "KeyPress: Key_Up pressed for receiver=."; break;
    case Qt::Key_Down: text = "KeyPress: Key_Down pressed for receiver=."; break;
    case Qt::Key_F1: text = "KeyPress: F1 pressed for receiver=."; break;
    default: break;
    }
    if (text)
        qDebug().noquote() << "GuiApp::notify:" << text << who;
    else
        qDebug().noquote() << QStringLiteral("GuiApp::notify: KeyPress: key->text()=%1, key=%2 for receiver=%3")
                                  .arg(key->text()).arg(key->key()).arg(who);
}

void GuiApp::cancelMousePress()
{
    QObject *pressed = m_lastPressed;
    if (!pressed)
        return;
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(-1, -1), QPointF(-1, -1),
                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(pressed, &release);
}

void GuiApp::changeStyleSheet(const QString &sheet)
{
    const QWidgetList widgets = QApplication::allWidgets();
    for (QWidget *widget : widgets) {
        if (!widget->isWindow())
            continue;
        if (!widget->isVisible() && !widget->inherits("MainScreen"))
            continue;
        qDebug() << "GuiApp::changeStyleSheet: Update style for window:" << widget;
        widget->setStyleSheet(sheet);
    }
}
