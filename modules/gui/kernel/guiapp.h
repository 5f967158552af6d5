#pragma once

#include <QApplication>
#include <QPointer>

// The framework's application object: organisation identity, the two named
// fonts, a touch-screen input filter with key traces, and re-styling of the
// top-level windows when the day/night sheet changes. One instance.
class GuiApp : public QApplication
{
    Q_OBJECT
public:
    GuiApp(int &argc, char **argv);
    ~GuiApp() override;

    static GuiApp *instance();

    // The families that stand in for the framework's named fonts on this platform.
    static QString normalFontFamily();
    static QString monoFontFamily();

    bool notify(QObject *receiver, QEvent *event) override;

    // Makes the widget under a running press give it up: a left-button release at (-1, -1).
    void cancelMousePress();

    QObject *lastPressedObject() const { return m_lastPressed; }

public slots:
    void changeStyleSheet(const QString &sheet);

private:
    void traceKeyPress(QObject *receiver, QEvent *event) const;

    QPointer<QObject> m_lastPressed;
    static GuiApp *s_instance;
};
