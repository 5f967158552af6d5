// Device output of any content, in pieces of any size, through a debug
// session's dialogue (every command), and the production-data parser.
#include "tlinkdevicedebugsession.h"

#include <QCoreApplication>
#include <QtGlobal>

#include <cstddef>
#include <cstdint>

namespace {
void quiet(QtMsgType, const QMessageLogContext &, const QString &) {}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static int argc = 1;
    static char name[] = "fuzz_debug_session";
    static char *argv[] = {name, nullptr};
    static QCoreApplication *app = [] {
        qInstallMessageHandler(quiet);
        return new QCoreApplication(argc, argv);
    }();
    Q_UNUSED(app)
    if (size < 2)
        return 0;

    // First byte: the command; second: the piece size.
    TLinkDeviceDebugSession session(QStringLiteral("127.0.0.1"), QString());
    session.setCommand(data[0] % 4);
    const size_t piece = size_t(data[1] % 64) + 1;
    const char *text = reinterpret_cast<const char *>(data + 2);
    const size_t length = size - 2;
    for (size_t at = 0; at < length; at += piece)
        session.processIncomingData(QByteArray(text + at, int(qMin(piece, length - at))));

    const QString answer = QString::fromLatin1(text, int(length));
    TLinkDeviceDebugSession::parseProductionData(answer, 0);
    return 0;
}
