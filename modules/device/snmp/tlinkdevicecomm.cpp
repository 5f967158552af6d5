#include "tlinkdevicecomm.h"

#include "infodevice.h"
#include "mibtree.h"
#include "snmphelper.h"
#include "snmplock.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QMutexLocker>
#include <QSet>
#include <QSettings>
#include <QStandardPaths>
#include <QTimer>

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

#include <memory>

namespace {

const char MibPathKey[] = "snmp_manager/mib_path";
const char MibPathMarker[] = "###DOESNOTEXIST###";

// The MIB folder when the setting is unset: the machine-wide data folder,
// then the working folder's res/mibs, then beside the program.
QString defaultMibFolder()
{
    const QString suffix = QStringLiteral("/Vantor/ZEL/mibs");
    const QStringList dataFolders = QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation);
    for (const QString &base : dataFolders)
        if (QDir(base + suffix).exists())
            return base + suffix;
    const QString programDir = QCoreApplication::applicationDirPath();
    const QStringList fallbacks{QDir::current().absoluteFilePath(QStringLiteral("res/mibs")),
                                programDir + QStringLiteral("/mibs"), programDir + QStringLiteral("/res/mibs")};
    for (const QString &folder : qAsConst(fallbacks))
        if (QDir(folder).exists())
            return QDir::cleanPath(folder);
    const QString writable = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return (writable.isEmpty() && !dataFolders.isEmpty() ? dataFolders.first() : writable) + suffix;
}

void bubbleSortGroups(QList<snmp_group_t> &groups)
{
    for (int end = groups.size(); end > 1; --end)
        for (int i = 0; i + 1 < end; ++i)
            if (groups.at(i).position < groups.at(i + 1).position)
                groups.swapItemsAt(i, i + 1);
}

void sortProperties(QList<snmp_property_t> &properties)
{
    // Highest flagP first; equal values keep their order.
    std::stable_sort(properties.begin(), properties.end(),
                     [](const snmp_property_t &a, const snmp_property_t &b) { return a.flagP > b.flagP; });
}

} // namespace

TLinkDeviceComm::TLinkDeviceComm(QObject *parent)
    : QObject(parent)
{
}

TLinkDeviceComm::~TLinkDeviceComm()
{
    QMutexLocker locker(&snmpLock());
    qDeleteAll(m_devices);
    m_devices.clear();
    delete m_infoDevice;
}

// ---- start-up ----------------------------------------------------------------

void TLinkDeviceComm::init()
{
    ensureNetSnmpStarted();
    connect(SNMPHelper::instance(), &SNMPHelper::propertyUpdated, this, &TLinkDeviceComm::propertyUpdatedHandler);
    m_timer = new QTimer(this);
    connect(m_timer, &QTimer::timeout, this, &TLinkDeviceComm::timerOneSecTimeOut, Qt::QueuedConnection);
    m_timer->start(1000);
    postEvent(2304, QString());
}

void TLinkDeviceComm::stopTimer()
{
    if (m_timer)
        m_timer->stop();
}

void TLinkDeviceComm::postEvent(int id, const QString &extraText)
{
    InfoDevice *source = nullptr;
    {
        QMutexLocker locker(&snmpLock());
        if (!m_infoDevice) {
            m_infoDevice = new InfoDevice(nullptr, tr("Snmp manager"));
            m_infoDevice->initModelInfo(QStringLiteral("0000"), QString());
        }
        source = m_infoDevice;
    }
    source->postEvent(id, extraText, 0);
}

// ---- device list -------------------------------------------------------------

snmp_device_t *TLinkDeviceComm::findDevice(const QString &uniqueId) const
{
    for (snmp_device_t *device : m_devices)
        if (device->uniqueId == uniqueId)
            return device;
    return nullptr;
}

snmp_device_t *TLinkDeviceComm::findDeviceWith(const QString &uniqueId, const QString &mibObjectName,
                                               snmp_property_t **record) const
{
    for (snmp_device_t *device : m_devices) {
        if (device->uniqueId != uniqueId)
            continue;
        for (snmp_property_t &property : device->properties) {
            if (property.mibObjectName == mibObjectName) {
                *record = &property;
                return device;
            }
        }
    }
    return nullptr;
}

QString TLinkDeviceComm::mibFolder(bool announce)
{
    QSettings settings;
    const QString value = settings.value(MibPathKey, QString::fromLatin1(MibPathMarker)).toString();
    const bool marker = value == QLatin1String(MibPathMarker);
    QString folder = value;
    if (marker || value.isEmpty()) {
        folder = defaultMibFolder();
        settings.setValue(MibPathKey, folder);
    }
    if (announce && m_firstLoad) {
        postEvent(marker ? 2307 : 2306, folder);
        m_firstLoad = false;
    }
    return folder;
}

void TLinkDeviceComm::loadMib(snmp_device_t *device, const QString &folder, const QString &file, bool test)
{
    const QStringList files{folder + QStringLiteral("/SNMPv2-SMI.txt"), folder + QStringLiteral("/SNMPv2-CONF.txt"),
                            folder + QStringLiteral("/SNMPv2-TC.txt"),
                            folder + QStringLiteral("/vantor_decimal_SMIv2.mib"), file};
    // The tree is shared: it may hold other models' modules as well, whose
    // nodes are left out.
    const QVector<int> modules = MibTree::load(folder, files);
    tree *root = MibTree::root();

    device->groups.clear();
    device->properties.clear();
    tree *folders = find_tree_node("vantorPropertyFolders", -1);
    if (folders) {
        for (tree *child = folders->child_list; child; child = child->next_peer)
            if (MibTree::belongsTo(child, modules))
                device->groups.append(buildGroup(child));
    }
    bubbleSortGroups(device->groups);
    if (root && root->child_list) {
        const quint32 start[] = {1, static_cast<quint32>(root->child_list->subid)};
        // The walk starts at the first child of the tree's first top node.
        buildPropertyFolders(device, root->child_list, start, 2, test, modules);
    }
    sortProperties(device->properties);
}

QList<snmp_req_t *> TLinkDeviceComm::pollList(const snmp_device_t *device) const
{
    QList<snmp_req_t *> list;
    for (const snmp_property_t &record : device->properties)
        if (!record.isTableColumn)
            list.append(buildRequest(record, QString()));
    return list;
}

void TLinkDeviceComm::addDevice(const QString &uniqueId, const QString &url, const QString &model,
                                const QString &swVersion)
{
    addDevice(uniqueId, url, model, swVersion, false);
}

void TLinkDeviceComm::addDevice(const QString &uniqueId, const QString &url, const QString &model,
                                const QString &swVersion, bool bTest)
{
    QMutexLocker locker(&snmpLock());
    if (findDevice(uniqueId))
        return;
    auto *device = new snmp_device_t;
    device->uniqueId = uniqueId;
    device->hostAddress = url;
    m_devices.append(device);

    const QString folder = mibFolder(true);
    const QString file = findMibFiles(folder, model, swVersion);
    postEvent(2305, QStringLiteral("Model: %1, swVer: %2 file: %3").arg(model, swVersion, file));
    if (file.isEmpty()) {
        device->mibState = 2;
        return;
    }
    loadMib(device, folder, file, bTest);
    const QList<snmp_req_t *> requests = pollList(device);
    device->mibState = 1;
    SNMPHelper::instance()->addDevice(uniqueId, device->hostAddress, requests);
    locker.unlock();
    emit groupInitialized(uniqueId);
    emit propertyInitialized(uniqueId);
}

void TLinkDeviceComm::updateDevice(const QString &uniqueId, const QString &url, const QString &model,
                                   const QString &swVersion)
{
    Q_UNUSED(url)
    QMutexLocker locker(&snmpLock());
    snmp_device_t *device = nullptr;
    for (snmp_device_t *candidate : qAsConst(m_devices))
        if (candidate->uniqueId == uniqueId)
            device = candidate; // the last entry with that id
    if (!device)
        return;
    const QString folder = mibFolder(false);
    const QString file = findMibFiles(folder, model, swVersion);
    postEvent(2305, QStringLiteral("Model: %1, swVer: %2 file: %3").arg(model, swVersion, file));
    if (file.isEmpty()) {
        device->mibState = 2; // the old groups and records stay
        return;
    }
    // The callers' dynamic marks outlive the reload, and every value is read
    // again from the device.
    QSet<QString> dynamicNames;
    for (const snmp_property_t &record : qAsConst(device->properties))
        if (record.dynamic)
            dynamicNames.insert(record.mibObjectName);
    loadMib(device, folder, file, false);
    device->mibState = 1;
    for (snmp_property_t &record : device->properties)
        record.dynamic = dynamicNames.contains(record.mibObjectName) ? 1 : 0;
    QList<snmp_req_t *> requests = pollList(device);
    for (snmp_req_t *request : qAsConst(requests))
        request->dynamic = dynamicNames.contains(request->name) ? 1 : 0;
    SNMPHelper::instance()->setRequests(uniqueId, requests);
    SNMPHelper::instance()->reReadAllProperties(uniqueId);
    locker.unlock();
    emit groupInitialized(uniqueId);
    emit propertyInitialized(uniqueId);
}

void TLinkDeviceComm::removeDevice(const QString &uniqueId)
{
    QMutexLocker locker(&snmpLock());
    snmp_device_t *device = findDevice(uniqueId);
    if (!device)
        return;
    SNMPHelper::instance()->setDeviceOnline(uniqueId, false);
    SNMPHelper::instance()->removeDevice(uniqueId);
    m_devices.removeOne(device);
    delete device;
}

void TLinkDeviceComm::changeUniqueId(const QString &oldId, const QString &newId)
{
    QMutexLocker locker(&snmpLock());
    for (snmp_device_t *device : qAsConst(m_devices))
        if (device->uniqueId == oldId)
            device->uniqueId = newId;
    SNMPHelper::instance()->changeUniqueId(oldId, newId);
}

void TLinkDeviceComm::setActiveDevice(const QString &uniqueId)
{
    QMutexLocker locker(&snmpLock());
    m_activeDeviceId = uniqueId;
    SNMPHelper::instance()->setActiveDeviceId(uniqueId);
}

void TLinkDeviceComm::setDeviceOnline(const QString &uniqueId, bool online)
{
    QMutexLocker locker(&snmpLock());
    for (snmp_device_t *device : qAsConst(m_devices)) {
        if (device->uniqueId != uniqueId)
            continue;
        device->online = online;
        for (snmp_property_t &record : device->properties)
            record.valueValid = 0;
    }
    SNMPHelper::instance()->setDeviceOnline(uniqueId, online);
}

void TLinkDeviceComm::changeDeviceAddress(const QString &uniqueId, const QString &hostAddress)
{
    QMutexLocker locker(&snmpLock());
    if (snmp_device_t *device = findDevice(uniqueId)) {
        device->hostAddress = hostAddress;
        SNMPHelper::instance()->changeHostAddress(uniqueId, hostAddress);
    }
}

// ---- lookups -------------------------------------------------------------------

QList<snmp_group_t> TLinkDeviceComm::getPropertyGroups(const QString &uniqueId) const
{
    QMutexLocker locker(&snmpLock());
    const snmp_device_t *device = findDevice(uniqueId);
    return device ? device->groups : QList<snmp_group_t>();
}

QList<snmp_property_t> TLinkDeviceComm::getProperties(const QString &uniqueId) const
{
    QMutexLocker locker(&snmpLock());
    const snmp_device_t *device = findDevice(uniqueId);
    return device ? device->properties : QList<snmp_property_t>();
}

snmp_property_t TLinkDeviceComm::getProperty(const QString &uniqueId, const QString &mibObjectName) const
{
    QMutexLocker locker(&snmpLock());
    snmp_property_t *record = nullptr;
    if (findDeviceWith(uniqueId, mibObjectName, &record))
        return *record;
    return snmp_property_t();
}

bool TLinkDeviceComm::isDeviceAnswering(const QString &uniqueId) const
{
    QMutexLocker locker(&snmpLock());
    const snmp_device_t *device = findDevice(uniqueId);
    return !device || device->answering; // a device never asked is not known to be silent
}

// ---- requests ------------------------------------------------------------------

void TLinkDeviceComm::singleRead(SingleRead how, const QString &uniqueId, const QString &mibObjectName)
{
    snmp_get_value_t answer;
    answer.uniqueId = uniqueId;
    answer.mibObjectName = mibObjectName;
    std::unique_ptr<snmp_req_t> request;
    QString host;
    {
        QMutexLocker locker(&snmpLock());
        snmp_property_t *record = nullptr;
        snmp_device_t *device = findDeviceWith(uniqueId, mibObjectName, &record);
        if (!device) {
            locker.unlock();
            emit getValueDone(answer);
            return;
        }
        request.reset(buildRequest(*record, QString()));
        host = device->hostAddress;
    }
    SNMPHelper *helper = SNMPHelper::instance();
    const int status = how == SingleRead::Get ? helper->get(host, request.get()) : helper->getNext(host, request.get());
    {
        QMutexLocker locker(&snmpLock());
        snmp_property_t *record = nullptr;
        if (findDeviceWith(uniqueId, mibObjectName, &record)) { // the device may have gone meanwhile
            if (request->done && status == 0) {
                record->value = formatDecimals(request->value, record->decimals);
                record->valueValid = 1;
                answer.value = record->value;
            } else {
                record->valueValid = 0; // no answer is no value: the last good one stays
            }
        }
    }
    if (how == SingleRead::GetNext) {
        answer.index = request->index;
        answer.subId = request->oidLength ? static_cast<qint32>(request->oid[request->oidLength - 1]) : 0;
    }
    answer.ok = request->done && status == 0;
    emit getValueDone(answer);
}

void TLinkDeviceComm::sendGetReq(const QString &uniqueId, const QString &mibObjectName)
{
    singleRead(SingleRead::Get, uniqueId, mibObjectName);
}

void TLinkDeviceComm::sendGetNextReq(const QString &uniqueId, const QString &mibObjectName)
{
    singleRead(SingleRead::GetNext, uniqueId, mibObjectName);
}

void TLinkDeviceComm::setProperty(const QString &uniqueId, const QString &mibObjectName, const QString &value)
{
    snmp_get_value_t answer;
    answer.uniqueId = uniqueId;
    answer.mibObjectName = mibObjectName;
    std::unique_ptr<snmp_req_t> request;
    QString host;
    {
        QMutexLocker locker(&snmpLock());
        snmp_property_t *record = nullptr;
        snmp_device_t *device = findDeviceWith(uniqueId, mibObjectName, &record);
        if (device && record->kind == 0)
            qDebug().noquote() << "TLinkDeviceComm::setProperty: property" << mibObjectName
                               << "has no known type and is not written";
        if (!device || record->kind == 0) {
            locker.unlock();
            emit getValueDone(answer);
            return;
        }
        request.reset(buildRequest(*record, value));
        host = device->hostAddress;
    }
    SNMPHelper *helper = SNMPHelper::instance();
    if (helper->set(host, request.get()) != 0) {
        emit getValueDone(answer);
        return;
    }
    const int readBack = helper->get(host, request.get());
    {
        QMutexLocker locker(&snmpLock());
        snmp_property_t *record = nullptr;
        if (findDeviceWith(uniqueId, mibObjectName, &record)) {
            if (readBack == 0) {
                record->value = formatDecimals(request->value, record->decimals);
                record->valueValid = 1;
                answer.value = record->value;
            } else {
                record->valueValid = 0;
            }
        }
    }
    answer.ok = request->done && readBack == 0;
    emit getValueDone(answer);
}

void TLinkDeviceComm::setProperties(const snmp_req_list_t &setRequests)
{
    snmp_req_list_t result;
    result.uniqueId = setRequests.uniqueId;
    result.kind = setRequests.kind;

    struct Job
    {
        QString host;
        QList<snmp_req_t *> requests;
        QList<QString> names;
    };
    // Each device with that id is written in turn; the lock is let go while
    // the network is busy.
    int deviceIndex = 0;
    for (;;) {
        Job job;
        {
            QMutexLocker locker(&snmpLock());
            int seen = 0;
            snmp_device_t *device = nullptr;
            for (snmp_device_t *candidate : qAsConst(m_devices)) {
                if (candidate->uniqueId == setRequests.uniqueId && seen++ == deviceIndex) {
                    device = candidate;
                    break;
                }
            }
            if (!device)
                break;
            ++deviceIndex;
            bool unknownKind = false;
            for (const auto &item : setRequests.items) {
                for (const snmp_property_t &record : qAsConst(device->properties)) {
                    if (record.mibObjectName != item.first)
                        continue;
                    unknownKind = unknownKind || record.kind == 0;
                    job.requests.append(buildRequest(record, item.second));
                    job.names.append(item.first);
                    result.items.append({item.first, QString()});
                }
            }
            if (job.requests.size() != setRequests.items.size()) {
                qDeleteAll(job.requests);
                continue;
            }
            result.result = 3;
            if (unknownKind) {
                qDebug().noquote() << "TLinkDeviceComm::setProperties: a property of unknown type is not written";
                qDeleteAll(job.requests);
                continue;
            }
            job.host = device->hostAddress;
        }
        std::unique_ptr<QList<snmp_req_t *>, void (*)(QList<snmp_req_t *> *)> owner(
            &job.requests, [](QList<snmp_req_t *> *list) { qDeleteAll(*list); });
        SNMPHelper *helper = SNMPHelper::instance();
        bool timedOut = false;
        const int status = helper->setList(job.host, job.requests, &timedOut);
        if (status != 0) {
            result.result = timedOut ? 4 : 3;
            continue;
        }
        result.result = 2;
        if (setRequests.kind == 0) {
            for (auto &item : result.items)
                if (item.first == QLatin1String("zkSystemConfigReset"))
                    item.second = QStringLiteral("2");
            result.result = 1;
            continue;
        }
        {
            QMutexLocker locker(&snmpLock());
            for (const QString &name : qAsConst(job.names)) {
                snmp_property_t *record = nullptr;
                if (findDeviceWith(setRequests.uniqueId, name, &record))
                    record->valueValid = 0;
            }
        }
        if (helper->getList(job.host, job.requests) != 0)
            continue;
        result.result = 1;
        QMutexLocker locker(&snmpLock());
        const int offset = result.items.size() - job.requests.size();
        for (int i = 0; i < job.requests.size(); ++i) {
            const snmp_req_t *request = job.requests.at(i);
            snmp_property_t *record = nullptr;
            if (!request->done) {
                result.result = 2; // not read back: no value
                continue;
            }
            if (findDeviceWith(setRequests.uniqueId, job.names.at(i), &record)) {
                record->value = formatDecimals(request->value, record->decimals);
                record->valueValid = 1;
                result.items[offset + i].second = record->value;
            }
        }
    }
    emit getValuesDone(result);
}

void TLinkDeviceComm::setPropertyDynamic(const QString &uniqueId, const QString &mibObjectName, bool isDynamic)
{
    QMutexLocker locker(&snmpLock());
    for (snmp_device_t *device : qAsConst(m_devices)) {
        if (device->uniqueId != uniqueId)
            continue;
        for (snmp_property_t &record : device->properties) {
            if (record.mibObjectName == mibObjectName) {
                record.dynamic = isDynamic;
                break;
            }
        }
    }
    SNMPHelper::instance()->setPropertyDynamic(uniqueId, mibObjectName, isDynamic);
}

void TLinkDeviceComm::reReadAllProperties(const QString &uniqueId)
{
    QMutexLocker locker(&snmpLock());
    for (snmp_device_t *device : qAsConst(m_devices))
        if (device->uniqueId == uniqueId)
            for (snmp_property_t &record : device->properties)
                record.valueValid = 0;
    SNMPHelper::instance()->reReadAllProperties(uniqueId);
}

void TLinkDeviceComm::timerOneSecTimeOut()
{
    // A silent agent holds only its own chain: the others are polled again
    // after one second without any answer.
    SNMPHelper::instance()->sendAsync(1000);
}

void TLinkDeviceComm::propertyUpdatedHandler(const QString &uniqueId)
{
    {
        QMutexLocker locker(&snmpLock());
        snmp_device_t *device = findDevice(uniqueId);
        if (!device)
            return;
        // The request records are the request layer's; they are read under the same lock.
        QHash<QString, const snmp_req_t *> answered;
        const QList<snmp_req_t *> requests = SNMPHelper::instance()->getRequests(uniqueId);
        bool anyAnswer = false;
        bool anyTimeOut = false;
        for (const snmp_req_t *request : requests) {
            if (!request->done)
                continue;
            answered.insert(request->name, request);
            anyAnswer = anyAnswer || !request->timedOut;
            anyTimeOut = anyTimeOut || request->timedOut;
        }
        if (anyAnswer)
            device->answering = true;
        else if (anyTimeOut)
            device->answering = false;
        for (snmp_property_t &record : device->properties) {
            const snmp_req_t *request = answered.value(record.mibObjectName);
            if (!request)
                continue;
            if (request->timedOut || request->failed) {
                record.valueValid = 0; // the last good value stays
                continue;
            }
            record.value = formatDecimals(request->value, record.decimals);
            record.valueValid = 1;
        }
    }
    emit updated(uniqueId);
}
