#pragma once
// The application's Qt message handler: one line per message on the standard
// error stream, prefixed by its kind; a fatal message aborts the process.
#include <QtGlobal>

class QString;
class QMessageLogContext;

void zelMessageHandler(QtMsgType type, const QMessageLogContext &context, const QString &text);
// The line written for a message; empty for a message type without a line.
QByteArray zelMessageLine(QtMsgType type, const QString &text);
