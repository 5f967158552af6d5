#include "snmpagent.h"
#include "devicebehaviour.h"
#include "valuestore.h"

#include <QDebug>
#include <QDir>
#include <QHostAddress>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QTimer>

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>
#include <net-snmp/agent/net-snmp-agent-includes.h>
#include <net-snmp/agent/agent_callbacks.h>

#include <arpa/inet.h>
#include <cstdlib>

namespace {

// The one agent of this process (Net-SNMP's agent is process-wide).
SnmpAgent *theAgent = nullptr;
const int alarmIntervalMs = 100;

bool parseOid(const QString &text, QVector<oid> *out)
{
    out->clear();
    const QStringList parts = text.split(QLatin1Char('.'), Qt::SkipEmptyParts);
    for (const QString &part : parts) {
        bool ok = false;
        const uint sub = part.toUInt(&ok);
        if (!ok)
            return false;
        *out << sub;
    }
    return out->size() >= 2 && out->size() <= MAX_OID_LEN;
}

QString oidToText(const oid *name, size_t length)
{
    QString text;
    for (size_t i = 0; i < length; ++i)
        text += QLatin1Char('.') + QString::number(name[i]);
    return text;
}

bool inRanges(const MibObject &object, qint64 value)
{
    if (object.ranges.isEmpty())
        return true;
    for (const auto &range : object.ranges) {
        if (value >= range.first && value <= range.second)
            return true;
    }
    return false;
}

// Checks a SET value against the object's type and MIB constraints;
// returns the SNMP error (Net-SNMP maps it to badValue for SNMPv1).
int checkValue(const MibObject &object, const netsnmp_variable_list *var, QVariant *value)
{
    const u_char asnType = mib_to_asn_type(object.mibType);
    if (netsnmp_check_vb_type(var, asnType) != SNMP_ERR_NOERROR)
        return SNMP_ERR_WRONGTYPE;
    switch (asnType) {
    case ASN_INTEGER: {
        const long v = *var->val.integer;
        if (!object.enumValues.isEmpty() ? !object.enumValues.contains(int(v)) : !inRanges(object, v))
            return SNMP_ERR_WRONGVALUE;
        *value = qint64(v);
        return SNMP_ERR_NOERROR;
    }
    case ASN_OCTET_STR:
        if (!inRanges(object, qint64(var->val_len)))
            return SNMP_ERR_WRONGLENGTH;
        *value = QString::fromLatin1(reinterpret_cast<const char *>(var->val.string), int(var->val_len));
        return SNMP_ERR_NOERROR;
    case ASN_IPADDRESS: {
        if (var->val_len != 4)
            return SNMP_ERR_WRONGLENGTH;
        *value = QHostAddress(ntohl(*reinterpret_cast<const uint32_t *>(var->val.string))).toString();
        return SNMP_ERR_NOERROR;
    }
    case ASN_OBJECT_ID:
        *value = oidToText(var->val.objid, var->val_len / sizeof(oid));
        return SNMP_ERR_NOERROR;
    default:
        *value = qint64(*var->val.integer);
        return SNMP_ERR_NOERROR;
    }
}

// Puts the stored value into the reply variable.
void setAnswer(const MibObject &object, const QVariant &value, netsnmp_variable_list *var)
{
    const u_char asnType = mib_to_asn_type(object.mibType);
    switch (asnType) {
    case ASN_OCTET_STR: {
        const QByteArray bytes = value.toString().toLatin1();
        snmp_set_var_typed_value(var, asnType, bytes.constData(), size_t(bytes.size()));
        break;
    }
    case ASN_IPADDRESS: {
        const uint32_t address = htonl(QHostAddress(value.toString()).toIPv4Address());
        snmp_set_var_typed_value(var, asnType, &address, sizeof address);
        break;
    }
    case ASN_OBJECT_ID: {
        QVector<oid> name;
        if (!parseOid(value.toString(), &name))
            name = {0, 0};
        snmp_set_var_typed_value(var, asnType, name.constData(), size_t(name.size()) * sizeof(oid));
        break;
    }
    case ASN_COUNTER:
    case ASN_GAUGE:
    case ASN_TIMETICKS: {
        const u_long v = u_long(value.toLongLong());
        snmp_set_var_typed_value(var, asnType, &v, sizeof v);
        break;
    }
    default: {
        const long v = long(value.toLongLong());
        snmp_set_var_typed_value(var, asnType, &v, sizeof v);
        break;
    }
    }
}

} // namespace

SnmpAgent::SnmpAgent(DeviceIdentity &identity, QObject *parent)
    : QObject(parent), m_identity(identity)
{
}

bool SnmpAgent::start(QString *error)
{
    if (theAgent) {
        *error = QStringLiteral("only one SNMP agent per process");
        return false;
    }
    if (m_identity.address.protocol() != QAbstractSocket::IPv4Protocol || !m_identity.address.isLoopback()) {
        *error = QStringLiteral("the agent serves IPv4 loopback addresses only");
        return false;
    }
    theAgent = this;
    // Net-SNMP's start-up wants a folder of its own; nothing is kept in it.
    const QTemporaryDir persistentDir;

    // No configuration files, no persistent state, no MIBs but ours.
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_READ_CONFIGS, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_LOAD, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_SAVE, 1);
    if (persistentDir.isValid())
        ::setenv("SNMP_PERSISTENT_DIR", QFile::encodeName(persistentDir.path()).constData(), 1);
    ::setenv("MIBS", "", 1);
    // No folder to read modules from by name: the catalog loads the files
    // by path, in import order, and only the device's own model module.
    netsnmp_set_mib_directory(QFile::encodeName(persistentDir.filePath(QStringLiteral("no-mibs"))).constData());
    snmp_enable_stderrlog();

    netsnmp_ds_set_boolean(NETSNMP_DS_APPLICATION_ID, NETSNMP_DS_AGENT_ROLE, 0);
    const QByteArray endpoint = QStringLiteral("udp:%1:%2")
                                    .arg(m_identity.address.toString())
                                    .arg(m_identity.snmpPort)
                                    .toLatin1();
    netsnmp_ds_set_string(NETSNMP_DS_APPLICATION_ID, NETSNMP_DS_AGENT_PORTS, endpoint.constData());
    netsnmp_ds_set_boolean(NETSNMP_DS_APPLICATION_ID, NETSNMP_DS_AGENT_DONT_LOG_TCPWRAPPERS_CONNECTS, 1);
    add_to_init_list(const_cast<char *>("-smux")); // else it listens on TCP 0.0.0.0:199
    init_agent("devsim");
    // The device's one community, read-write, for clients on loopback.
    QByteArray access = "rwcommunity " + m_identity.community.toLatin1() + " 127.0.0.0/8";
    netsnmp_config_remember(access.data());
    init_snmp("devsim");

    if (!m_catalog.load(m_identity.mibDir, m_identity.model, m_identity.swVersion, error))
        return false;

    m_store = new ValueStore(this);
    QString product = MibCatalog::oidText(QStringLiteral("zk%1Product").arg(m_identity.model));
    if (product.isEmpty())
        product = MibCatalog::oidText(QStringLiteral("vantorProducts"));
    m_behaviour = new DeviceBehaviour(m_identity, m_store, product, this);

    snmp_register_callback(SNMP_CALLBACK_APPLICATION, SNMPD_CALLBACK_ACM_CHECK_INITIAL,
                           &SnmpAgent::checkAccess, this);
    if (init_master_agent() != 0) {
        *error = QStringLiteral("cannot listen on %1").arg(QString::fromLatin1(endpoint));
        return false;
    }
    for (const MibObject &object : m_catalog.objects()) {
        if (m_identity.missingObjects.contains(object.name))
            continue; // asked for, the agent answers noSuchName (v1) or noSuchObject (v2c)
        if (!registerObject(object)) {
            *error = QStringLiteral("cannot register %1").arg(object.name);
            return false;
        }
    }
    watchSockets();
    m_alarmTimer = new QTimer(this);
    connect(m_alarmTimer, &QTimer::timeout, this, [] {
        snmp_timeout();
        run_alarms();
        netsnmp_check_outstanding_agent_requests();
    });
    m_alarmTimer->start(alarmIntervalMs);
    qDebug() << "SnmpAgent::start: serving" << m_catalog.objects().size() << "objects at"
             << QString::fromLatin1(endpoint);
    return true;
}

bool SnmpAgent::registerObject(const MibObject &object)
{
    QVector<oid> name;
    for (quint32 sub : object.oid)
        name << sub;
    if (object.column) {
        // Each row of a table column is an instance of its own, read-only.
        for (quint32 row : MibCatalog::TableRows) {
            QVector<oid> cell = name;
            cell << row;
            const QByteArray label = QStringLiteral("%1.%2").arg(object.name).arg(row).toLatin1();
            netsnmp_handler_registration *reg = netsnmp_create_handler_registration(
                label.constData(), &SnmpAgent::handleRequests, cell.constData(), size_t(cell.size()),
                HANDLER_CAN_RONLY);
            if (!reg)
                return false;
            reg->my_reg_void = const_cast<MibObject *>(&object);
            if (netsnmp_register_instance(reg) != MIB_REGISTERED_OK)
                return false;
        }
        return true;
    }
    netsnmp_handler_registration *reg = netsnmp_create_handler_registration(
        object.name.toLatin1().constData(), &SnmpAgent::handleRequests, name.constData(), size_t(name.size()),
        object.writable ? HANDLER_CAN_RWRITE : HANDLER_CAN_RONLY);
    if (!reg)
        return false;
    reg->my_reg_void = const_cast<MibObject *>(&object);
    return netsnmp_register_scalar(reg) == MIB_REGISTERED_OK;
}

int SnmpAgent::handleRequests(netsnmp_mib_handler *, netsnmp_handler_registration *reginfo,
                              netsnmp_agent_request_info *reqinfo, netsnmp_request_info *requests)
{
    const MibObject &object = *static_cast<const MibObject *>(reginfo->my_reg_void);
    ValueStore *store = theAgent->m_store;
    for (netsnmp_request_info *request = requests; request; request = request->next) {
        if (request->processed)
            continue;
        switch (reqinfo->mode) {
        case MODE_GET:
            if (object.column) {
                // A cell: the stored value of the column, else one that names its row.
                const oid row = request->requestvb->name[request->requestvb->name_length - 1];
                QVariant value = store->value(object.name);
                if (!value.isValid())
                    value = mib_to_asn_type(object.mibType) == ASN_OCTET_STR
                                ? QVariant(QStringLiteral("row %1").arg(row))
                                : QVariant(qint64(row));
                setAnswer(object, value, request->requestvb);
            } else {
                setAnswer(object, store->value(object.name), request->requestvb);
            }
            break;
        case MODE_SET_RESERVE1: {
            QVariant value;
            int status = checkValue(object, request->requestvb, &value);
            if (status == SNMP_ERR_NOERROR && !store->accepts(object.name, value))
                status = SNMP_ERR_WRONGVALUE;
            if (status != SNMP_ERR_NOERROR) {
                qDebug() << "SnmpAgent::handleRequests: refused SET of" << object.name << "error" << status;
                netsnmp_set_request_error(reqinfo, request, status);
            }
            break;
        }
        case MODE_SET_ACTION: {
            // Every object of the request is stored before the device reacts
            // to any of them (a download start sees its new server address
            // whatever the order of the variables).
            QVariant value;
            checkValue(object, request->requestvb, &value);
            store->set(object.name, value);
            break;
        }
        case MODE_SET_COMMIT: {
            QVariant value;
            checkValue(object, request->requestvb, &value);
            store->announceWrite(object.name, value);
            break;
        }
        default: // RESERVE2, FREE, UNDO: nothing held; ACTION cannot fail
            break;
        }
    }
    return SNMP_ERR_NOERROR;
}

volatile std::sig_atomic_t SnmpAgent::s_silent = 0;

int SnmpAgent::checkAccess(int, int, void *serverArg, void *clientArg)
{
    // The community itself is checked by the agent's access control (the
    // rwcommunity line); a silent or restarting device drops everything.
    auto *view = static_cast<view_parameters *>(serverArg);
    auto *agent = static_cast<SnmpAgent *>(clientArg);
    if (agent->m_identity.silent || s_silent || agent->m_behaviour->isRestarting())
        view->errorcode = VACM_NOACCESS;
    return SNMP_ERR_NOERROR;
}

void SnmpAgent::watchSockets()
{
    int maxFd = 0, block = 1;
    fd_set fds;
    FD_ZERO(&fds);
    struct timeval timeout {};
    snmp_select_info(&maxFd, &fds, &timeout, &block);
    for (int fd = 0; fd < maxFd; ++fd) {
        if (!FD_ISSET(fd, &fds) || m_notifiers.contains(fd))
            continue;
        auto *notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
        connect(notifier, &QSocketNotifier::activated, this, [this, notifier, fd] {
            if (m_identity.delayMs <= 0) {
                readSocket(fd);
                return;
            }
            // Answer late: leave the request in the socket for a while.
            notifier->setEnabled(false);
            QTimer::singleShot(m_identity.delayMs, this, [this, notifier, fd] {
                readSocket(fd);
                notifier->setEnabled(true);
            });
        });
        m_notifiers.insert(fd, notifier);
    }
}

void SnmpAgent::readSocket(int fd)
{
    fd_set fds;
    FD_ZERO(&fds);
    FD_SET(fd, &fds);
    snmp_read(&fds);
    netsnmp_check_outstanding_agent_requests();
}
