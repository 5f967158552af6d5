#include "snmphelper.h"

#include "snmplock.h"

#include <QDebug>
#include <QElapsedTimer>
#include <QMutexLocker>
#include <QThread>

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

const char Community[] = "quarry";

int pollCallback(int operation, netsnmp_session *session, int requestId, netsnmp_pdu *pdu, void *magic)
{
    return SNMPHelper::instance()->asyncResponse(operation, session, requestId, pdu,
                                                 static_cast<snmp_async_dev_t *>(magic));
}

// Opens a version 1 session to hostAddress. retries < 0 keeps the library's
// retries and time-out.
netsnmp_session *openSession(const QString &hostAddress, int retries = -1, long timeoutUs = 0,
                             netsnmp_callback callback = nullptr, void *magic = nullptr)
{
    ensureNetSnmpStarted();
    netsnmp_session session;
    snmp_sess_init(&session);
    session.version = SNMP_VERSION_1;
    QByteArray peer = hostAddress.toLatin1();
    session.peername = peer.data();
    QByteArray community(Community);
    session.community = reinterpret_cast<u_char *>(community.data());
    session.community_len = community.size();
    if (retries >= 0) {
        session.retries = retries;
        session.timeout = timeoutUs;
    }
    session.callback = callback;
    session.callback_magic = magic;
    return snmp_open(&session); // copies peer name and community
}

void reportOpenFailure()
{
    snmp_perror("ack");
    snmp_log(LOG_ERR, "something horrible happened!!!\n");
}

int toNetSnmpOid(const snmp_req_t *request, oid *out)
{
    const int length = qMin<int>(request->oidLength, SNMP_MAX_OID_LEN);
    for (int i = 0; i < length; ++i)
        out[i] = request->oid[i];
    return length;
}

bool sameOid(const snmp_req_t *request, const netsnmp_variable_list *var)
{
    if (var->name_length != request->oidLength)
        return false;
    for (size_t i = 0; i < var->name_length; ++i)
        if (var->name[i] != request->oid[i])
            return false;
    return true;
}

// An exception in place of a value (SNMPv2c): the agent has no such object
// or instance, or the walk ran off its MIB view.
bool isException(const netsnmp_variable_list *var)
{
    return var->type == SNMP_NOSUCHOBJECT || var->type == SNMP_NOSUCHINSTANCE || var->type == SNMP_ENDOFMIBVIEW;
}

// Result code for a reply that came without error status but carries no
// usable value.
const int NoValueAnswer = SNMP_ERR_NOSUCHNAME;

// Parses strict dotted-quad text ("10.0.0.1") into four bytes.
bool parseDottedQuad(const QString &text, u_char out[4])
{
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() != 4)
        return false;
    for (int i = 0; i < 4; ++i) {
        const QString &part = parts.at(i);
        if (part.isEmpty() || part.size() > 3)
            return false;
        for (const QChar c : part)
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return false;
        const int value = part.toInt();
        if (value > 255)
            return false;
        out[i] = static_cast<u_char>(value);
    }
    return true;
}

// Adds the SET variable of one record to pdu. Refuses (SNMPERR_VALUE or
// SNMPERR_TOO_LONG) what cannot be encoded soundly; nothing is added then.
int addSetVariable(netsnmp_pdu *pdu, const snmp_req_t *request, int *totalBytes)
{
    oid name[SNMP_MAX_OID_LEN];
    const int nameLength = toNetSnmpOid(request, name);
    switch (request->type) {
    case ASN_INTEGER: {
        long value = request->value.toInt(nullptr, 10);
        *totalBytes += sizeof(qint32);
        snmp_pdu_add_variable(pdu, name, nameLength, ASN_INTEGER, &value, sizeof(value));
        return 0;
    }
    case ASN_OCTET_STR: {
        const QByteArray bytes = request->value.toLatin1();
        *totalBytes += bytes.size();
        if (*totalBytes > SNMPHelper::MaxSetValueBytes) {
            qDebug() << "SNMPHelper::set: value of" << request->name << "too long for one request:"
                     << bytes.size() << "bytes";
            return SNMPERR_TOO_LONG;
        }
        snmp_pdu_add_variable(pdu, name, nameLength, ASN_OCTET_STR, bytes.constData(), bytes.size());
        return 0;
    }
    case ASN_IPADDRESS: {
        u_char address[4];
        if (!parseDottedQuad(request->value, address)) {
            qDebug() << "SNMPHelper::set: not an IPv4 address in dotted-quad form:" << request->value;
            return SNMPERR_VALUE;
        }
        *totalBytes += 4;
        snmp_pdu_add_variable(pdu, name, nameLength, ASN_IPADDRESS, address, 4);
        return 0;
    }
    default:
        qDebug() << "SNMPHelper::set: refusing to write" << request->name << "of type" << request->type;
        return SNMPERR_VALUE;
    }
}

// Waits on agents are cut into slices of this length, so that a thread asked
// to end (the program exits) sees it soon. A slice that ends before the
// library's time-out only makes the library look for expired requests.
timeval waitSlice(const timeval &due, int block)
{
    const timeval slice = {0, 200 * 1000};
    if (block || due.tv_sec > slice.tv_sec || (due.tv_sec == slice.tv_sec && due.tv_usec > slice.tv_usec))
        return slice;
    return due;
}

// The request one synchronous exchange waits for. It lives as long as the
// thread, because a request given up (see below) is answered by the library,
// if at all, only when its session is closed.
struct PendingExchange
{
    int requestId = 0;
    bool waiting = false;
    int status = STAT_ERROR;
    netsnmp_pdu *response = nullptr;
};

int exchangeCallback(int operation, netsnmp_session *, int requestId, netsnmp_pdu *pdu, void *magic)
{
    auto *pending = static_cast<PendingExchange *>(magic);
    if (!pending->waiting || requestId != pending->requestId)
        return 1; // a request given up earlier
    if (operation == NETSNMP_CALLBACK_OP_RESEND || operation == NETSNMP_CALLBACK_OP_CONNECT)
        return 1; // only news: the answer is still awaited
    if (operation == NETSNMP_CALLBACK_OP_RECEIVED_MESSAGE) {
        pending->response = snmp_clone_pdu(pdu);
        pending->status = pending->response ? STAT_SUCCESS : STAT_ERROR;
    } else {
        pending->status = operation == NETSNMP_CALLBACK_OP_TIMED_OUT ? STAT_TIMEOUT : STAT_ERROR;
    }
    pending->waiting = false;
    return 1;
}

// snmp_synch_response on the one session, except that a thread asked to end
// (the program exits) stops waiting: the request then counts as not answered.
int synchResponse(netsnmp_session *session, netsnmp_pdu *pdu, netsnmp_pdu **response)
{
    thread_local PendingExchange pending;
    *response = nullptr;
    void *single = snmp_sess_pointer(session);
    pending = PendingExchange();
    pending.waiting = true;
    pending.requestId = single ? snmp_sess_async_send(single, pdu, exchangeCallback, &pending) : 0;
    if (pending.requestId == 0) {
        pending.waiting = false;
        snmp_free_pdu(pdu);
        return STAT_ERROR;
    }
    while (pending.waiting) {
        if (QThread::currentThread()->isInterruptionRequested()) {
            pending.waiting = false;
            session->s_snmp_errno = SNMPERR_TIMEOUT;
            return STAT_TIMEOUT;
        }
        int numfds = 0;
        fd_set fds;
        FD_ZERO(&fds);
        timeval timeout = {0, 0};
        int block = 1;
        snmp_sess_select_info(single, &numfds, &fds, &timeout, &block);
        timeout = waitSlice(timeout, block);
        const int count = ::select(numfds, &fds, nullptr, nullptr, &timeout);
        if (count < 0 && errno != EINTR) {
            pending.waiting = false;
            return STAT_ERROR;
        }
        if (count > 0)
            snmp_sess_read(single, &fds);
        else if (count == 0)
            snmp_sess_timeout(single);
    }
    if (pending.status == STAT_TIMEOUT)
        session->s_snmp_errno = SNMPERR_TIMEOUT;
    *response = pending.response;
    return pending.status;
}

// Sends pdu synchronously and reports failures; returns the result code.
int exchange(netsnmp_session *session, netsnmp_pdu *pdu, netsnmp_pdu **response, bool *timedOut)
{
    const int status = synchResponse(session, pdu, response);
    if (timedOut)
        *timedOut = (status == STAT_TIMEOUT);
    if (status != STAT_SUCCESS) {
        snmp_sess_perror("snmpget", session);
        return status;
    }
    if ((*response)->errstat != SNMP_ERR_NOERROR) {
        fprintf(stderr, "Error in packet\nReason: %s\n", snmp_errstring((*response)->errstat));
        return static_cast<int>((*response)->errstat);
    }
    return 0;
}

void warnUnhandled(const QString &who, const QString &oidText, int type)
{
    qWarning().noquote() << QStringLiteral("SNMPHelper::valueText: %1, request<%2>, type<%3>: reply cannot be handled.")
                                .arg(who, oidText)
                                .arg(type);
}

} // namespace

SNMPHelper *SNMPHelper::instance()
{
    static SNMPHelper *helper = new SNMPHelper;
    return helper;
}

SNMPHelper::SNMPHelper()
    : m_select([](int n, fd_set *fds, timeval *tv) { return ::select(n, fds, nullptr, nullptr, tv); })
{
}

SNMPHelper::~SNMPHelper()
{
    QMutexLocker locker(&snmpLock());
    for (snmp_async_dev_t *entry : qAsConst(m_devices)) {
        qDeleteAll(entry->requests);
        delete entry;
    }
}

QString SNMPHelper::oidToString(const quint32 *oid, quint32 length)
{
    QString text;
    for (quint32 i = 0; i < length; ++i)
        text += QLatin1Char('.') + QString::number(oid[i]);
    return text;
}

QString SNMPHelper::valueText(const netsnmp_variable_list *var, bool *handled)
{
    if (handled)
        *handled = true;
    switch (var->type) {
    case ASN_INTEGER:
        return QString::number(static_cast<qint32>(*var->val.integer));
    case ASN_BIT_STR:
    case ASN_FLOAT:
    case ASN_DOUBLE:
        return QString::number(var->type);
    case ASN_OCTET_STR: {
        if (var->val_len == 0 || !var->val.string)
            return QStringLiteral("none");
        const char *bytes = reinterpret_cast<const char *>(var->val.string);
        return QString::fromLatin1(bytes, static_cast<int>(strnlen(bytes, var->val_len)));
    }
    case ASN_OBJECT_ID: {
        const size_t count = qMin<size_t>(var->val_len / sizeof(oid), 25);
        if (count == 0 || !var->val.objid)
            return QStringLiteral("none");
        QString text;
        for (size_t i = 0; i < count; ++i)
            text += QLatin1Char('.') + QString::number(static_cast<qint32>(var->val.objid[i]));
        return text;
    }
    case ASN_IPADDRESS: {
        const u_char *b = var->val.string;
        if (var->val_len >= 4 && b)
            return QStringLiteral("%1.%2.%3.%4").arg(b[0]).arg(b[1]).arg(b[2]).arg(b[3]);
        if (var->val_len == 1 && b)
            return QStringLiteral("-empty IP- ") + QString::number(b[0]);
        return QStringLiteral("invalid");
    }
    case ASN_TIMETICKS:
        return QString::number(static_cast<qint32>(*var->val.integer) / 100);
    default:
        if (handled)
            *handled = false;
        return QString();
    }
}

int SNMPHelper::get(const QString &hostAddress, snmp_req_t *request)
{
    request->done = 0;
    netsnmp_session *session = openSession(hostAddress);
    if (!session) {
        reportOpenFailure();
        return 1;
    }
    netsnmp_pdu *pdu = snmp_pdu_create(SNMP_MSG_GET);
    oid name[SNMP_MAX_OID_LEN];
    snmp_add_null_var(pdu, name, toNetSnmpOid(request, name));
    netsnmp_pdu *response = nullptr;
    int result = exchange(session, pdu, &response, nullptr);
    netsnmp_variable_list *var = result == 0 ? response->variables : nullptr;
    if (result == 0 && (!var || isException(var) || !sameOid(request, var)))
        result = NoValueAnswer;
    if (result != 0) {
        request->value.clear();
    } else {
        if (var->next_variable)
            fprintf(stdout, "More than one response!\n");
        request->type = var->type;
        bool handled = true;
        request->value = valueText(var, &handled);
        if (!handled) {
            warnUnhandled(QStringLiteral("Url <%1>").arg(hostAddress),
                          oidToString(request->oid, request->oidLength), var->type);
            result = NoValueAnswer;
        }
    }
    request->done = 1;
    if (response)
        snmp_free_pdu(response);
    snmp_close(session);
    return result;
}

int SNMPHelper::getNext(const QString &hostAddress, snmp_req_t *request)
{
    request->done = 0;
    netsnmp_session *session = openSession(hostAddress);
    if (!session) {
        reportOpenFailure();
        return 1;
    }
    netsnmp_pdu *pdu = snmp_pdu_create(SNMP_MSG_GETNEXT);
    oid name[SNMP_MAX_OID_LEN];
    snmp_add_null_var(pdu, name, toNetSnmpOid(request, name));
    netsnmp_pdu *response = nullptr;
    int result = exchange(session, pdu, &response, nullptr);
    if (result == 0 && (!response->variables || isException(response->variables)))
        result = NoValueAnswer; // the walk ran off the agent's view
    if (result != 0) {
        request->value.clear();
    } else if (netsnmp_variable_list *first = response->variables) {
        bool inside = first->name_length > request->oidLength;
        if (!inside) {
            result = 1; // value stays as it was
        } else {
            for (quint32 i = 0; i < request->oidLength; ++i)
                if (first->name[i] != request->oid[i])
                    inside = false;
            if (!inside) {
                request->value.clear();
                result = 1;
            } else {
                request->index = static_cast<qint32>(first->name[request->oidLength]);
                for (netsnmp_variable_list *var = first; var; var = var->next_variable) {
                    request->type = var->type;
                    bool handled = true;
                    request->value = valueText(var, &handled);
                    if (!handled)
                        warnUnhandled(QStringLiteral("Url <%1>").arg(hostAddress),
                                      oidToString(request->oid, request->oidLength), var->type);
                    qDebug().noquote() << "SNMPHelper::getNext: GetNext: " << request->value;
                    if (var->next_variable)
                        qDebug().noquote() << "SNMPHelper::getNext: GetNext: " << "More than one response!\n";
                }
            }
        }
    }
    request->done = 1;
    if (response)
        snmp_free_pdu(response);
    snmp_close(session);
    return result;
}

int SNMPHelper::set(const QString &hostAddress, snmp_req_t *request, bool *timedOut)
{
    return setList(hostAddress, QList<snmp_req_t *>() << request, timedOut);
}

int SNMPHelper::setList(const QString &hostAddress, const QList<snmp_req_t *> &requests, bool *timedOut)
{
    if (timedOut)
        *timedOut = false;
    netsnmp_pdu *pdu = snmp_pdu_create(SNMP_MSG_SET);
    int totalBytes = 0;
    for (const snmp_req_t *request : requests) {
        const int refused = addSetVariable(pdu, request, &totalBytes);
        if (refused != 0) {
            snmp_free_pdu(pdu);
            return refused;
        }
    }
    netsnmp_session *session = openSession(hostAddress, 0, 2000000L * qMax(1, requests.size()));
    if (!session) {
        snmp_free_pdu(pdu);
        reportOpenFailure();
        return 1;
    }
    netsnmp_pdu *response = nullptr;
    const int result = exchange(session, pdu, &response, timedOut);
    if (response)
        snmp_free_pdu(response);
    snmp_close(session);
    return result;
}

int SNMPHelper::getList(const QString &hostAddress, const QList<snmp_req_t *> &requests)
{
    for (snmp_req_t *request : requests)
        request->done = 0;
    netsnmp_session *session = openSession(hostAddress);
    if (!session) {
        reportOpenFailure();
        return 1;
    }
    netsnmp_pdu *pdu = snmp_pdu_create(SNMP_MSG_GET);
    for (const snmp_req_t *request : requests) {
        oid name[SNMP_MAX_OID_LEN];
        snmp_add_null_var(pdu, name, toNetSnmpOid(request, name));
    }
    netsnmp_pdu *response = nullptr;
    const int result = exchange(session, pdu, &response, nullptr);
    if (result != 0) {
        for (snmp_req_t *request : requests) {
            request->value.clear();
            request->done = 1;
        }
    } else {
        for (netsnmp_variable_list *var = response->variables; var; var = var->next_variable) {
            for (snmp_req_t *request : requests) {
                if (!sameOid(request, var) || isException(var))
                    continue; // an object the agent lacks stays unanswered
                request->type = var->type;
                bool handled = true;
                const QString text = valueText(var, &handled);
                if (!handled) {
                    warnUnhandled(QStringLiteral("Url <%1>").arg(hostAddress),
                                  oidToString(request->oid, request->oidLength), var->type);
                    continue;
                }
                request->value = text;
                request->done = 1;
            }
        }
    }
    if (response)
        snmp_free_pdu(response);
    snmp_close(session);
    return result;
}

// ---- registrations -------------------------------------------------------

snmp_async_dev_t *SNMPHelper::findEntry(const QString &uniqueId) const
{
    for (snmp_async_dev_t *entry : m_devices)
        if (entry->uniqueId == uniqueId)
            return entry;
    return nullptr;
}

static void replaceList(snmp_async_dev_t *entry, const QList<snmp_req_t *> &requests, bool cycleRunning)
{
    cycleRunning = cycleRunning || entry->chainRunning;
    for (snmp_req_t *old : qAsConst(entry->requests)) {
        if (requests.contains(old))
            continue;
        if (cycleRunning)
            entry->retiredRequests.append(old);
        else
            delete old;
    }
    entry->requests = requests;
    ++entry->listGeneration;
}

void SNMPHelper::addDevice(const QString &uniqueId, const QString &hostAddress, const QList<snmp_req_t *> &requests)
{
    QMutexLocker locker(&snmpLock());
    snmp_async_dev_t *entry = findEntry(uniqueId);
    if (!entry) {
        entry = new snmp_async_dev_t;
        entry->uniqueId = uniqueId;
        m_devices.append(entry);
    }
    entry->pollingOn = 1;
    entry->readAll = 1;
    entry->hostAddress = hostAddress;
    replaceList(entry, requests, m_cycleRunning);
}

void SNMPHelper::changeHostAddress(const QString &uniqueId, const QString &hostAddress)
{
    QMutexLocker locker(&snmpLock());
    if (snmp_async_dev_t *entry = findEntry(uniqueId))
        entry->hostAddress = hostAddress;
}

void SNMPHelper::setRequests(const QString &uniqueId, const QList<snmp_req_t *> &requests)
{
    QMutexLocker locker(&snmpLock());
    if (snmp_async_dev_t *entry = findEntry(uniqueId))
        replaceList(entry, requests, m_cycleRunning);
    else
        qDeleteAll(requests); // nobody else owns them
}

void SNMPHelper::removeDevice(const QString &uniqueId)
{
    QMutexLocker locker(&snmpLock());
    snmp_async_dev_t *entry = findEntry(uniqueId);
    if (!entry)
        return;
    m_devices.removeOne(entry);
    if (m_cycleRunning || entry->chainRunning) {
        // A chain of this cycle may still point at the entry: free it when the cycle ends.
        entry->removed = true;
        entry->pollingOn = 0;
        m_removedDuringCycle.append(entry);
        return;
    }
    qDeleteAll(entry->requests);
    delete entry;
}

QList<snmp_req_t *> SNMPHelper::getRequests(const QString &uniqueId) const
{
    QMutexLocker locker(&snmpLock());
    const snmp_async_dev_t *entry = findEntry(uniqueId);
    return entry ? entry->requests : QList<snmp_req_t *>();
}

void SNMPHelper::setDeviceOnline(const QString &uniqueId, bool online)
{
    QMutexLocker locker(&snmpLock());
    if (snmp_async_dev_t *entry = findEntry(uniqueId)) {
        if (online && !entry->pollingOn)
            entry->readAll = 1;
        entry->pollingOn = online ? 1 : 0;
    }
}

void SNMPHelper::changeUniqueId(const QString &oldId, const QString &newId)
{
    QMutexLocker locker(&snmpLock());
    if (snmp_async_dev_t *entry = findEntry(oldId))
        entry->uniqueId = newId;
}

void SNMPHelper::reReadAllProperties(const QString &uniqueId)
{
    QMutexLocker locker(&snmpLock());
    if (snmp_async_dev_t *entry = findEntry(uniqueId))
        entry->readAll = 1;
}

void SNMPHelper::setPropertyDynamic(const QString &uniqueId, const QString &name, bool dynamic)
{
    QMutexLocker locker(&snmpLock());
    if (snmp_async_dev_t *entry = findEntry(uniqueId)) {
        for (snmp_req_t *request : qAsConst(entry->requests)) {
            if (request->name == name) {
                request->dynamic = dynamic ? 1 : 0;
                break;
            }
        }
    }
}

void SNMPHelper::setActiveDeviceId(const QString &uniqueId)
{
    QMutexLocker locker(&snmpLock());
    m_activeDeviceId = uniqueId;
}

QString SNMPHelper::activeDeviceId() const
{
    QMutexLocker locker(&snmpLock());
    return m_activeDeviceId;
}

void SNMPHelper::setSelectFunction(SelectFunction function)
{
    QMutexLocker locker(&snmpLock());
    m_select = std::move(function);
}

// ---- polling --------------------------------------------------------------

bool SNMPHelper::isEligible(const snmp_async_dev_t *entry, const snmp_req_t *request) const
{
    if (request->dynamic)
        return true;
    return !m_activeDeviceId.isEmpty() && entry->uniqueId == m_activeDeviceId
           && (request->pollWhenActive || request->value.isEmpty());
}

int SNMPHelper::nextRecord(const snmp_async_dev_t *entry, int from) const
{
    for (int i = from; i < entry->requests.size(); ++i)
        if (entry->readAll || isEligible(entry, entry->requests.at(i)))
            return i;
    return -1;
}

bool SNMPHelper::sendPoll(snmp_async_dev_t *entry)
{
    const snmp_req_t *request = entry->requests.at(entry->current);
    netsnmp_pdu *pdu = snmp_pdu_create(SNMP_MSG_GET);
    oid name[SNMP_MAX_OID_LEN];
    snmp_add_null_var(pdu, name, toNetSnmpOid(request, name));
    if (snmp_send(entry->session, pdu) == 0) {
        snmp_perror("snmp_send");
        snmp_free_pdu(pdu);
        return false;
    }
    return true;
}

void SNMPHelper::endChain(snmp_async_dev_t *entry, bool reachedEnd)
{
    // Only a chain that got through the whole list has read everything once.
    if (reachedEnd)
        entry->readAll = 0;
    if (entry->chainRunning && m_runningChains > 0)
        --m_runningChains;
    entry->chainRunning = false;
}

void SNMPHelper::storePolled(snmp_async_dev_t *entry, netsnmp_pdu *pdu)
{
    snmp_req_t *request = entry->requests.at(entry->current);
    request->done = 1;
    request->timedOut = 0;
    request->failed = 0;
    // An error answer (the device lacks the object, or refuses it) is no
    // value: the record stays as it was, marked as failed.
    netsnmp_variable_list *var = pdu ? pdu->variables : nullptr;
    if (!pdu || pdu->errstat != SNMP_ERR_NOERROR || !var || isException(var) || !sameOid(request, var)) {
        request->failed = 1;
        qDebug().noquote() << QStringLiteral("SNMPHelper::asyncResponse: Device <%1> property <%2> answered with an error (%3)")
                                  .arg(entry->uniqueId, request->name)
                                  .arg(pdu ? pdu->errstat : -1);
        return;
    }
    if (var->next_variable)
        qDebug().noquote() << QStringLiteral("SNMPHelper::asyncResponse: Device <%1>: More than one response!")
                                  .arg(entry->uniqueId);
    bool handled = true;
    const QString text = valueText(var, &handled);
    if (!handled) {
        warnUnhandled(QStringLiteral("Device <%1>").arg(entry->uniqueId),
                      oidToString(request->oid, request->oidLength), var->type);
        request->failed = 1;
        return;
    }
    request->value = text;
}

int SNMPHelper::asyncResponse(int operation, snmp_session *, int, snmp_pdu *pdu, snmp_async_dev_t *entry)
{
    QString endedId;
    {
        QMutexLocker locker(&snmpLock());
        if (entry->removed || entry->chainGeneration != entry->listGeneration
            || entry->current >= entry->requests.size()) {
            // The device went away or got a new list while its chain ran.
            endChain(entry, false);
            return 1;
        }
        bool reachedEnd = false;
        if (operation == NETSNMP_CALLBACK_OP_RECEIVED_MESSAGE) {
            storePolled(entry, pdu);
            if (entry->pollingOn) {
                const int next = nextRecord(entry, entry->current + 1);
                if (next >= 0) {
                    entry->current = next;
                    if (sendPoll(entry))
                        return 1; // the chain goes on
                } else {
                    reachedEnd = true;
                }
            }
        } else if (operation == NETSNMP_CALLBACK_OP_TIMED_OUT) {
            // A time-out is no value: the last good one stays, marked as not
            // answered. The device is silent, so nothing else due in this
            // cycle gets a current value either.
            snmp_req_t *request = entry->requests.at(entry->current);
            request->done = 1;
            request->timedOut = 1;
            for (int i = nextRecord(entry, entry->current + 1); i >= 0; i = nextRecord(entry, i + 1)) {
                entry->requests.at(i)->done = 1;
                entry->requests.at(i)->timedOut = 1;
            }
            qDebug().noquote() << QStringLiteral("SNMPHelper::asyncResponse: Device <%1> property <%2>retrieving timed out")
                                      .arg(entry->uniqueId, oidToString(request->oid, request->oidLength));
        }
        endChain(entry, reachedEnd);
        endedId = entry->uniqueId;
    }
    emit propertyUpdated(endedId);
    return 1;
}

void SNMPHelper::sendAsync(int quietLimitMs)
{
    {
        QMutexLocker locker(&snmpLock());
        m_cycleRunning = true;
        for (snmp_async_dev_t *entry : qAsConst(m_devices)) {
            if (entry->chainRunning)
                continue; // still waiting on its agent since an earlier cycle
            if (!entry->pollingOn || entry->requests.isEmpty())
                continue;
            for (snmp_req_t *request : qAsConst(entry->requests)) {
                request->done = 0;
                request->timedOut = 0;
                request->failed = 0;
            }
            entry->current = 0;
            const int first = nextRecord(entry, 0);
            if (first < 0)
                continue; // nothing due for this device in this cycle
            entry->session = openSession(entry->hostAddress, -1, 0, pollCallback, entry);
            if (!entry->session) {
                fprintf(stdout, "\nsnmp_open error\n");
                snmp_perror("snmp_open");
                continue;
            }
            entry->current = first;
            entry->chainGeneration = entry->listGeneration;
            if (sendPoll(entry)) {
                entry->chainRunning = true;
                ++m_runningChains;
            } else {
                fprintf(stdout, "\nsnmp_send error\n");
            }
        }
    }

    QElapsedTimer sinceAnswer;
    sinceAnswer.start();
    bool keepWaitingChains = false;
    for (;;) {
        int numfds = 0;
        fd_set fds;
        FD_ZERO(&fds);
        timeval timeout = {0, 0};
        int block = 1;
        SelectFunction wait;
        {
            QMutexLocker locker(&snmpLock());
            if (m_runningChains == 0)
                break;
            if (quietLimitMs >= 0 && sinceAnswer.elapsed() >= quietLimitMs) {
                keepWaitingChains = true; // the silent ones are waited for in the next cycles
                break;
            }
            snmp_select_info(&numfds, &fds, &timeout, &block);
            wait = m_select;
        }
        // A thread asked to end (the program exits) does not wait for agents
        // that are slow to answer: the sessions are closed, unanswered.
        if (QThread::currentThread()->isInterruptionRequested())
            break;
        timeout = waitSlice(timeout, block);
        const int count = wait(numfds, &fds, &timeout);
        if (count < 0) {
            if (errno == EINTR)
                continue;
            qWarning().noquote() << "SNMPHelper::sendAsync: select failed:" << strerror(errno)
                                 << "- ending this polling cycle";
            break;
        }
        if (count > 0) {
            snmp_read(&fds);
            sinceAnswer.start();
        } else {
            snmp_timeout();
        }
    }
    finishCycle(keepWaitingChains);
}

void SNMPHelper::finishCycle(bool keepWaitingChains)
{
    QMutexLocker locker(&snmpLock());
    const QList<snmp_async_dev_t *> all = m_devices + m_removedDuringCycle;
    for (snmp_async_dev_t *entry : all) {
        if (entry->chainRunning && keepWaitingChains)
            continue; // its session, its records and the entry itself stay until the chain ends
        // A cycle given up (the thread must end, the wait failed) ends its chains unanswered.
        entry->chainRunning = false;
        if (entry->session) {
            snmp_close(entry->session);
            entry->session = nullptr;
        }
        qDeleteAll(entry->retiredRequests);
        entry->retiredRequests.clear();
    }
    QList<snmp_async_dev_t *> stillWaiting;
    for (snmp_async_dev_t *entry : qAsConst(m_removedDuringCycle)) {
        if (entry->chainRunning) {
            stillWaiting.append(entry);
            continue;
        }
        qDeleteAll(entry->requests);
        delete entry;
    }
    m_removedDuringCycle = stillWaiting;
    if (!keepWaitingChains)
        m_runningChains = 0;
    m_cycleRunning = false;
}
