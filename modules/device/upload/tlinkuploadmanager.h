#pragma once

#include "publishedimage.h"
#include "swentry.h"

#include <QFileInfo>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QStringList>

class QTimer;
class TLinkTftpServerIf;
class TLinkUploadManagerIf;

// Keeps the software images the program can give to devices. It lives on a
// worker thread of its own ("SwUpload"): it searches the search path and the
// mounted removable volumes for image files (".tiif"), reads their headers,
// publishes each new image on the TFTP server under its file key, withdraws
// images whose files are gone or whose volume was removed, and hands the list
// to its front object. Everything it holds is touched on its thread only.
class TLinkUploadManager : public QObject
{
    Q_OBJECT
public:
    explicit TLinkUploadManager(int firstSearchMs = 30000, QObject *parent = nullptr);

    // Both are set by the front object before the worker thread starts.
    void setFrontObject(TLinkUploadManagerIf *front) { m_front = front; }
    void setVolumes(const QStringList &mountPaths) { m_volumes = mountPaths; }

    // Reads the header and products text of one image file. True when the
    // file is an image: entry then holds version, date, build id, file name,
    // directory and product, and products the product list when the image
    // names several products.
    static bool m_getSwEntry(const QFileInfo &file, SwEntry &entry, QStringList &products);
    // Sets the key under which the entry's image is published.
    static void makeFileKey(SwEntry &entry);

public slots:
    // Runs on the worker thread once it has started: reads the search
    // interval and starts the search and garbage timers.
    void start();
    void initiateManualSearch(const QString &path);
    void externalDiscDeviceDetected(const QString &mountPath);
    void externalDiscDeviceRemoved(const QString &mountPath);
    void fileSearch();
    void removeGarbageFiles();
    void setTftpServerRef(TLinkTftpServerIf *pTftp);
    void setSearchInterval(bool fromSettings, quint32 searchIntervalMs, quint32 garbageIntervalMs);
    void fileSearchTimeout();
    void removeGarbageTimeout();

private:
    static QString searchPath();
    static quint32 searchIntervalSetting();
    static void m_findSubDirs(const QString &dir, QStringList &found, QSet<QString> &visited);
    // Searches a folder and every folder below it.
    void m_searchTree(const QString &root);
    // The search path and every mounted removable volume, without a word to
    // the front object.
    void m_searchAll();
    void m_findTiifFiles(const QString &dir);
    void m_addSwEntry(SwEntry entry, const QString &dir);
    bool m_isNewSwEntry(const SwEntry &entry) const;
    bool m_isStale(const PublishedImage &image) const;
    bool m_isPublished(const SwEntry &entry) const;
    bool m_isTftpInSync() const;
    void m_syncTftp();
    void m_syncAndPublish();
    void publishFirmwareList();
    void m_tellFront(const char *slot, const QString &path);

    QPointer<TLinkTftpServerIf> m_tftp;
    QList<SwEntry> m_swEntries;
    QList<PublishedImage> m_published;
    QStringList m_volumes;
    quint32 m_searchInterval = 180000;
    quint32 m_garbageInterval = 180000;
    int m_firstSearchMs;
    QTimer *m_searchTimer = nullptr;
    QTimer *m_garbageTimer = nullptr;
    TLinkUploadManagerIf *m_front = nullptr;
};
