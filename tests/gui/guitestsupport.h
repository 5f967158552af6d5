#pragma once
// Helpers of the GUI framework tests: the application object and a capture of debug lines.

#include <QString>
#include <QStringList>
#include <QtMessageHandler>

class QImage;

namespace guitest {

// Collects the messages written while it lives (and passes them on).
class MessageCapture
{
public:
    MessageCapture();
    ~MessageCapture();
    QStringList lines() const;
    int count(const QString &text) const;
    void clear();
};

// Writes a PNG of the given size and colour.
bool writePng(const QString &path, int width, int height, Qt::GlobalColor colour);

} // namespace guitest

// main() of a GUI test: the framework's application object with the product's identity.
#define ZEL_GUI_TEST_MAIN(TestClass)                                            \
    int main(int argc, char **argv)                                             \
    {                                                                           \
        GuiApp app(argc, argv);                                                 \
        app.setOrganizationName(QStringLiteral("Vantor & Vantor"));             \
        app.setApplicationName(QStringLiteral("ZEL"));                          \
        TestClass test;                                                         \
        return QTest::qExec(&test, argc, argv);                                 \
    }
