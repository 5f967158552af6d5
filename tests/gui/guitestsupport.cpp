#include "guitestsupport.h"

#include <QImage>
#include <QMutex>

namespace guitest {

namespace {
QMutex mutex;
QStringList captured;
QtMessageHandler previous = nullptr;
int active = 0;

void handler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    {
        QMutexLocker lock(&mutex);
        captured << message;
    }
    if (previous)
        previous(type, context, message);
}
} // namespace

MessageCapture::MessageCapture()
{
    QMutexLocker lock(&mutex);
    captured.clear();
    if (active++ == 0)
        previous = qInstallMessageHandler(handler);
}

MessageCapture::~MessageCapture()
{
    QMutexLocker lock(&mutex);
    if (--active == 0)
        qInstallMessageHandler(previous);
}

QStringList MessageCapture::lines() const
{
    QMutexLocker lock(&mutex);
    return captured;
}

int MessageCapture::count(const QString &text) const
{
    int n = 0;
    for (const QString &line : lines())
        n += line.contains(text) ? 1 : 0;
    return n;
}

void MessageCapture::clear()
{
    QMutexLocker lock(&mutex);
    captured.clear();
}

bool writePng(const QString &path, int width, int height, Qt::GlobalColor colour)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(colour);
    return image.save(path, "PNG");
}

} // namespace guitest
