#include "tsavepixmapthread.h"

#include "tmedialocation.h"

#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QImageWriter>
#include <QPixmap>

TSavePixmapThread::TSavePixmapThread(QObject *parent)
    : QThread(parent)
{
    setObjectName(QStringLiteral("Save pixmap thread"));
    moveToThread(this);
}

TSavePixmapThread::~TSavePixmapThread()
{
    quit();
    wait();
}

void TSavePixmapThread::savePixmap(const QPixmap &pixmap, bool greyScale)
{
    qDebug() << "TSavePixmapThread::savePixmap: screenshot requested, available processing slots: "
             << m_slots.available();
    if (!m_slots.tryAcquire()) {
        qDebug() << "TSavePixmapThread::savePixmap: Discarded screenshot request, no processing slots available";
        return;
    }
    const QImage image = pixmap.toImage();
    QMetaObject::invokeMethod(this, "handleSaveImage", Qt::QueuedConnection, Q_ARG(QImage, image),
                              Q_ARG(bool, greyScale));
}

void TSavePixmapThread::handleSaveImage(const QImage &image, bool greyScale)
{
    QString folder;
    const QList<TMediaLocation> locations = TMediaLocation::availableMediaLocations();
    if (!locations.isEmpty()) {
        const QString path = locations.last().path;
        folder = path + QLatin1String("/screenshots");
        if (!QDir(folder).exists() && !QDir(path).mkdir(QStringLiteral("screenshots")))
            folder.clear();
    }
    if (!folder.isEmpty()) {
        // Screenshots taken within one second share the time stamp: the later
        // ones get a number, and no file is ever opened over an existing one.
        const QString stem = folder + QLatin1String("/screenshot")
            + QDateTime::currentDateTime().toString(QStringLiteral("_yyyyMMdd_hhmmss"));
        QString fileName = stem + QLatin1String(".png");
        QFile file(fileName);
        bool opened = file.open(QIODevice::WriteOnly | QIODevice::NewOnly);
        for (int n = 1; !opened && file.exists() && n < 1000; ++n) {
            fileName = stem + QLatin1Char('_') + QString::number(n) + QLatin1String(".png");
            file.setFileName(fileName);
            opened = file.open(QIODevice::WriteOnly | QIODevice::NewOnly);
        }
        if (opened) {
            QImage out = image;
            if (greyScale) {
                QVector<QRgb> greys;
                greys.reserve(256);
                for (int i = 0; i < 256; ++i)
                    greys.append(qRgb(i, i, i));
                out = image.convertToFormat(QImage::Format_Indexed8, greys)
                          .scaled(400, 300, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            }
            QImageWriter writer(&file, "png");
            writer.setQuality(1);
            const bool written = writer.write(out) && file.flush();
            file.close();
            if (written) {
                qDebug().noquote() << "TSavePixmapThread::handleSaveImage: save completed to " + QDir::toNativeSeparators(fileName);
                m_slots.release();
                emit saved(fileName);
                return;
            }
            qDebug().noquote() << "TSavePixmapThread::handleSaveImage: save failed to " + QDir::toNativeSeparators(fileName)
                                      + QLatin1String(": ") + writer.errorString();
            file.remove();
            m_slots.release();
            emit failed(fileName);
            return;
        }
        qDebug() << "TSavePixmapThread::handleSaveImage: open failed";
        m_slots.release();
        emit failed(fileName);
        return;
    }
    m_slots.release();
}
