#pragma once

#include "infomodelrecords.h"

#include <QMutex>
#include <QObject>
#include <QString>

class QFile;
class QXmlStreamReader;

// Reader of the model list file "ModelListInfo.xml": what the program knows
// about each device model (icon, model id, software-update time-outs,
// certificate method, services, status properties). Each look-up opens the
// file, scans the model entries for the wanted (model, vendor) pair, takes
// one section of the matching entry and closes the file again.
//
// Where the file is found (modelListPath()):
//   1. the file set with setModelListFile(), when one is set (tests);
//   2. "res/ModelListInfo.xml" in the working folder;
//   3. "res/ModelListInfo.xml" in the program's folder (the build puts a
//      res/ beside each program it makes).
//
// A missing, unreadable or malformed file yields a debug line and the
// defaults of an unknown model; look-ups never fail otherwise. Look-ups may
// be made from any thread.
class InfoDeviceModelArray : public QObject
{
    Q_OBJECT
public:
    enum Mode { IconMode = 100, FirmwareUpgradeMode = 101, CertificateMode = 102,
                ServicesMode = 103, StatusMode = 104 };
    // Results of a look-up.
    enum Result { Found = 0, NotFound = 1, NoFile = -1 };

    struct IconInfo
    {
        int modelId = 0;
        QString modelName;
        QString vendor;
        QString iconName;
    };
    struct FirmwareUpgradeInfo
    {
        int startup = -1;
        int reboot = -1;
        int progress = -1;
        int tftpTimeout = 1;
        int rebootOnComplete = 0;
    };
    struct CertificateInfo
    {
        QString method = QStringLiteral("none");
        QString attribute = QStringLiteral("none");
    };

    explicit InfoDeviceModelArray(QObject *parent = nullptr);
    ~InfoDeviceModelArray() override;

    // The process-wide reader, created on first use and never deleted.
    static InfoDeviceModelArray *shared();

    // Overrides where the model list is read from; an empty path restores
    // the normal search.
    static void setModelListFile(const QString &path);
    static QString modelListPath();

    int getIconInfo(const QString &model, const QString &vendor, IconInfo &out);
    int getFirmwareUpgradeInfo(const QString &model, const QString &vendor, FirmwareUpgradeInfo &out);
    int getCertificateInfo(const QString &model, const QString &vendor, CertificateInfo &out);
    // These two append the model's records to the caller's list.
    int getServices(const QString &model, const QString &vendor, InfoServiceList &out);
    int getStatusProperties(const QString &model, const QString &vendor, InfoStatusPropertyList &out);

    // "==" 0, ">=" 1, "<" 2, "mask" 3, "inv_mask" 4, "text" 5, "enum" 6;
    // anything else -1.
    static int conditionCode(const QString &keyword);

private:
    int lookup(int mode, const QString &model, const QString &vendor);
    int openFile();
    void closeFile();
    int findModel(int mode);
    int parseModel(int mode);
    void parseFirmwareUpgrade(FirmwareUpgradeInfo &info);
    void parseDebug(CertificateInfo &info);
    void parseServices();
    void parseStatus();
    InfoStatusProperty parseStatusProperty();
    void parseValueName(InfoStatusProperty &property);
    InfoStatusRule parseRule();
    QString elementText();

    QMutex m_lock;
    QFile *m_file = nullptr;
    QXmlStreamReader *m_reader = nullptr;
    QString m_wantedModel;
    QString m_wantedVendor;
    IconInfo m_icon;
    FirmwareUpgradeInfo m_firmware;
    CertificateInfo m_certificate;
    InfoServiceList m_services;
    InfoStatusPropertyList m_statusProperties;
};
