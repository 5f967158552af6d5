#pragma once

#include <QImage>
#include <QSemaphore>
#include <QThread>

class QPixmap;

// Encodes screenshots on a thread of its own, at most three at a time.
class TSavePixmapThread : public QThread
{
    Q_OBJECT
public:
    explicit TSavePixmapThread(QObject *parent = nullptr);
    ~TSavePixmapThread() override;

    // GUI thread: queues the pixmap for saving, or drops it when three are in flight.
    void savePixmap(const QPixmap &pixmap, bool greyScale);
    int availableSlots() const { return m_slots.available(); }

signals:
    void saved(const QString &fileName);
    // The file could not be written; nothing is left under that name.
    void failed(const QString &fileName);

public slots:
    void handleSaveImage(const QImage &image, bool greyScale);

private:
    QSemaphore m_slots{3};
};
