#pragma once

#include <QList>
#include <QMetaType>
#include <QObject>
#include <QString>
#include <QStringList>

class QThread;
class TLinkTftpServerIf;
class TLinkUploadManager;

// The software upload manager as the rest of the program holds it. It lives
// on the thread that made it (the GUI thread) and keeps a copy of the list of
// software images; the manager it makes runs on the worker thread "SwUpload"
// and is reached only by queued calls. Removable volumes that are mounted or
// unmounted are passed on to the manager by their mount path.
class TLinkUploadManagerIf : public QObject
{
    Q_OBJECT
public:
    // One software image for one product.
    struct firmware_list_entry_t
    {
        quint8 major = 0;
        quint8 minor = 0;
        quint16 build = 0;
        quint32 date = 0;
        QString build_id;
        QString fileName;
        QString absolutePath;
        QString product;
    };

    // Starts with the removable volumes mounted now and follows the
    // application object's signals usbDriveFound(QString) and
    // usbDriveRemoved(QString) when it has them; the first search comes 30 s
    // after start.
    explicit TLinkUploadManagerIf(QObject *parent = nullptr);
    // Starts with the given removable volumes; later ones arrive and leave
    // only through externalDiscDeviceDetected and externalDiscDeviceRemoved.
    // The first search comes `firstSearchMs` after start.
    TLinkUploadManagerIf(const QStringList &mountedVolumes, int firstSearchMs, QObject *parent = nullptr);
    // Ends the manager's thread and waits for it.
    ~TLinkUploadManagerIf() override;

    void setTftpServerRef(TLinkTftpServerIf *pTftp);
    void initiateManualSearch(const QString &path);
    // A search and then a pass that drops images whose files are gone.
    void refreshFirmwareList();
    // fromSettings: the search interval of the settings and a garbage
    // interval of 180000 ms; otherwise the given periods. Either way a search
    // and a garbage pass run at once.
    void setSearchInterval(bool fromSettings, quint32 searchIntervalMs, quint32 garbageIntervalMs);
    // Appends every image of the product (leading characters up to the first
    // digit dropped) in list order; true when there was at least one.
    bool getFirmwareEntry(QString product, QList<TLinkUploadManagerIf::firmware_list_entry_t> &out) const;

signals:
    void DeviceUpdate();
    void fileSearchInitiated(const QString &path);
    void fileSearchFinished(const QString &path);

public slots:
    void externalDiscDeviceDetected(const QString &mountPath);
    void externalDiscDeviceRemoved(const QString &mountPath);
    void updatedFirmwareList(const QList<TLinkUploadManagerIf::firmware_list_entry_t> &pList);
    void searchInitiated(const QString &path);
    void searchExecuted(const QString &path);

private:
    QThread *m_thread = nullptr;
    TLinkUploadManager *m_manager = nullptr;
    QList<firmware_list_entry_t> m_firmwareList;
};

Q_DECLARE_METATYPE(TLinkUploadManagerIf::firmware_list_entry_t)
Q_DECLARE_METATYPE(QList<TLinkUploadManagerIf::firmware_list_entry_t>)
