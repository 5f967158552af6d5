#include "tlinkslp.h"

#include <QDebug>

namespace {
const char *const StartupHandle = "Startup Handle";

struct ErrorRow
{
    int code;
    const char *name;
    const char *description;
};

// Descriptions as RFC 2614 gives them.
const ErrorRow ErrorTable[] = {
    {1, "SLP_LAST_CALL",
     "Passed to callback functions when the API library has no more data for them and therefore no further "
     "calls will be made to the callback on the currently outstanding operation. The callback can use this to "
     "signal the main body of the client code that no more data will be forthcoming on the operation, so that the "
     "main body of the client code can break out of data collection loops. On the last call of a callback during "
     "both a synchronous and asynchronous call, the error code parameter has value SLP_LAST_CALL, and the other "
     "parameters are all NULL. If no results are returned by an API operation, then only one call is made, with "
     "the error parameter set to SLP_LAST_CALL."},
    {0, "SLP_OK", "Indicates that the no error occurred during the operation."},
    {-1, "SLP_LANGUAGE_NOT_SUPPORTED",
     "No DA or SA has service advertisement or attribute information in the language requested, but at least "
     "one DA or SA indicated, via the LANGUAGE_NOT_SUPPORTED error code, that it might have information for that "
     "service in another language."},
    {-3, "SLP_INVALID_REGISTRATION",
     "The API may return this error if an attempt to register a service was rejected by all DAs because of a "
     "malformed URL or attributes. SLP does not return the error if at least one DA accepted the registration."},
    {-6, "SLP_AUTHENTICATION_ABSENT",
     "If the SLP framework supports authentication, this error arises when the UA or SA failed to send an "
     "authenticator for requests or registrations in a protected scope."},
    {-7, "SLP_AUTHENTICATION_FAILED",
     "If the SLP framework supports authentication, this error arises when a authentication on an SLP message "
     "failed."},
    {-13, "SLP_INVALID_UPDATE",
     "An update for a non-existing registration was issued, or the update includes a service type or scope "
     "different than that in the initial registration, etc."},
    {-15, "SLP_REFRESH_REJECTED",
     "The SA attempted to refresh a registration more frequently than the minimum refresh interval. The SA "
     "should call the appropriate API function to obtain the minimum refresh interval to use."},
    {-17, "SLP_NOT_IMPLEMENTED", "If an unimplemented feature is used, this error is returned."},
    {-18, "SLP_BUFFER_OVERFLOW",
     "An outgoing request overflowed the maximum network MTU size. The request should be reduced in size or "
     "broken into pieces and tried again."},
    {-19, "SLP_NETWORK_TIMED_OUT",
     "When no reply can be obtained in the time specified by the configured timeout interval for a unicast "
     "request, this error is returned."},
    {-20, "SLP_NETWORK_INIT_FAILED", "If the network cannot initialize properly, this error is returned."},
    {-21, "SLP_MEMORY_ALLOC_FAILED", "Out of memory error"},
    {-22, "SLP_PARAMETER_BAD", "If a parameter passed into an interface is bad, this error is returned."},
    {-23, "SLP_NETWORK_ERROR ",
     "The failure of networking during normal operations causes this error to be returned."},
    {-24, "SLP_INTERNAL_SYSTEM_ERROR",
     "A basic failure of the API causes this error to be returned. This occurs when a system call or library "
     "fails. The operation could not recover."},
    {-25, "SLP_HANDLE_IN_USE",
     "In the C API, callback functions are not permitted to recursively call into the API on the same "
     "SLPHandle, either directly or indirectly. If an attempt is made to do so, this error is returned from the "
     "called API function."},
    {-26, "SLP_TYPE_ERROR",
     "If the API supports type checking of registrations against service type templates, this error can arise "
     "if the attributes in a registration do not match the service type template for the service."},
};
} // namespace

TLinkSLP::TLinkSLP(QObject *parent) : QObject(parent)
{
    openSlpSession(QString::fromLatin1(StartupHandle));
}

TLinkSLP::~TLinkSLP()
{
    m_waiting.clear(); // nothing starts while the wrapper goes
    closeSlpSession(QString::fromLatin1(StartupHandle));
    // Searches still running are cancelled before their cookies go.
    for (const auto &e : m_handles)
        if (e->handle)
            SLPClose(e->handle);
}

QPair<QString, QString> TLinkSLP::errorText(int code)
{
    for (const ErrorRow &row : ErrorTable)
        if (row.code == code)
            return {QString::fromLatin1(row.name), QString::fromLatin1(row.description)};
    return {QStringLiteral("Unknown"), QStringLiteral("Undefined error code.")};
}

TLinkSLP::Entry *TLinkSLP::entry(const QString &name) const
{
    for (const auto &e : m_handles)
        if (e->name == name)
            return e.get();
    return nullptr;
}

SLPHandle TLinkSLP::handle(const QString &name) const
{
    Entry *e = entry(name);
    return e ? e->handle : nullptr;
}

bool TLinkSLP::openSlpSession(const QString &name)
{
    if (entry(name)) {
        qDebug() << "TLinkSLP::openSlpSession:" << "HANDLE EXISTS" << name;
        return false;
    }
    qDebug() << "TLinkSLP::openSlpSession:" << "CREATING NEW HANDLE" << name;
    SLPHandle h = nullptr;
    const SLPError err = SLPOpen(nullptr, SLP_TRUE, &h);
    if (err != SLP_OK) {
        reportError(err, QStringLiteral("TLinkSLP:openSlpSession"));
        return false;
    }
    auto e = std::make_unique<Entry>();
    e->name = name;
    e->handle = h;
    m_handles.push_back(std::move(e));
    return true;
}

void TLinkSLP::closeSlpSession(const QString &name)
{
    qDebug() << "TLinkSLP::closeSlpSession:" << "HANDLES IN USE: " << int(m_handles.size()) << "FROM: " << name;
    int last = -1;
    for (int i = 0; i < int(m_handles.size()); ++i) {
        Entry *e = m_handles[size_t(i)].get();
        if (e->name != name)
            continue;
        if (e->handle)
            SLPClose(e->handle); // no callback of it runs after this
        e->handle = nullptr;
        if (e->search) {
            e->search = 0;
            --m_running;
        }
        qDebug() << "TLinkSLP::closeSlpSession:" << "CLOSING HNDLE: " << name << " Index:" << i;
        last = i;
    }
    if (last < 0) {
        qDebug() << "TLinkSLP::closeSlpSession:" << "ERROR CLOSING SLP HANDLE" << name;
        return;
    }
    m_handles.erase(m_handles.begin() + last);
    for (auto it = m_waiting.begin(); it != m_waiting.end();)
        it = it->name == name ? m_waiting.erase(it) : it + 1;
    startWaiting();
}

TLinkSLP::Cookie *TLinkSLP::newCookie(Entry *e)
{
    e->cookies.push_back(std::make_unique<Cookie>(Cookie{this, e->name, e->search}));
    return e->cookies.back().get();
}

void TLinkSLP::findSrvs(const QString &name)
{
    find(name, Srvs);
}

void TLinkSLP::findAttrs(const QString &name)
{
    find(name, Attrs);
}

void TLinkSLP::findSrvTypes(const QString &name)
{
    find(name, Types);
}

void TLinkSLP::find(const QString &name, Kind kind)
{
    Entry *e = entry(name);
    if (!e || !e->handle)
        return;
    if (m_running >= MaxRunning) {
        m_waiting.push_back({name, kind});
        return;
    }
    start(e, kind);
}

void TLinkSLP::start(Entry *e, Kind kind)
{
    const QString &name = e->name;
    const QByteArray text = name.toLatin1();
    e->search = ++m_lastSearch;
    Cookie *cookie = newCookie(e);
    SLPError err = SLP_OK;
    switch (kind) {
    case Srvs:
        err = SLPFindSrvs(e->handle, text.constData(), nullptr, nullptr, urlCallback, cookie);
        break;
    case Attrs:
        err = SLPFindAttrs(e->handle, text.constData(), nullptr, nullptr, attrCallback, cookie);
        break;
    case Types:
        err = SLPFindSrvTypes(e->handle, text.constData(), "", typeCallback, cookie);
        break;
    }
    if (err != SLP_OK) {
        e->search = 0;
        reportError(err, name);
        return;
    }
    e->started.start();
    ++m_running;
}

void TLinkSLP::startWaiting()
{
    while (m_running < MaxRunning && !m_waiting.empty()) {
        const Waiting w = m_waiting.front();
        m_waiting.pop_front();
        Entry *e = entry(w.name);
        if (e && e->handle && !e->search)
            start(e, w.kind);
    }
}

void TLinkSLP::searchEnded(quint64 search)
{
    for (const auto &e : m_handles) {
        if (e->search == search) {
            e->search = 0;
            --m_running;
            break;
        }
    }
    startWaiting();
}

void TLinkSLP::endOf(const Cookie *c)
{
    // Runs on the library's thread: the bookkeeping is done on the wrapper's.
    TLinkSLP *wrapper = c->wrapper;
    const quint64 search = c->search;
    QMetaObject::invokeMethod(
        wrapper, [wrapper, search] { wrapper->searchEnded(search); }, Qt::QueuedConnection);
}

qint64 TLinkSLP::searchAge(const QString &name) const
{
    const Entry *e = entry(name);
    return e && e->search ? e->started.elapsed() : -1;
}

QString TLinkSLP::hostOf(const QString &url)
{
    const int at = url.indexOf(QStringLiteral("://"));
    if (at < 0)
        return QString();
    const QString rest = url.mid(at + 3);
    int end = rest.size();
    for (const QChar stop : {QLatin1Char(':'), QLatin1Char('/'), QLatin1Char(';')}) {
        const int i = rest.indexOf(stop);
        if (i >= 0 && i < end)
            end = i;
    }
    return rest.left(end);
}

void TLinkSLP::associateIP(const QString &name)
{
    Entry *e = entry(name);
    if (!e || !e->handle)
        return;
    const QByteArray host = hostOf(name).toLatin1();
    const SLPError err = SLPAssociateIP(e->handle, host.constData());
    if (err != SLP_OK)
        reportError(err, name);
}

void TLinkSLP::reportError(int code, const QString &sender)
{
    const QPair<QString, QString> text = errorText(code);
    emit errorSLP(text.first, text.second, sender);
    qDebug() << "TLinkSLP::reportError:" << "SLP error" << text.first << text.second << sender;
}

SLPBoolean TLinkSLP::urlCallback(SLPHandle, const char *url, unsigned short, SLPError err, void *cookie)
{
    Cookie *c = static_cast<Cookie *>(cookie);
    const QString &name = c->name;
    if (err == SLP_OK) {
        const QString srvurl = QString::fromUtf8(url);
        qDebug() << "TLinkSLP::urlCallback:" << "Service Found - " << srvurl;
        emit c->wrapper->foundDevice(srvurl);
    } else if (err == SLP_LAST_CALL) {
        qDebug() << "TLinkSLP::urlCallback:" << "Service Found - SLP_LAST_CALL";
        emit c->wrapper->finishDeviceDisc(name);
        endOf(c);
    } else {
        c->wrapper->reportError(err, name);
        endOf(c);
    }
    return SLP_TRUE;
}

SLPBoolean TLinkSLP::attrCallback(SLPHandle, const char *attrs, SLPError err, void *cookie)
{
    Cookie *c = static_cast<Cookie *>(cookie);
    const QString &name = c->name;
    if (err == SLP_OK) {
        const QString list = QString::fromUtf8(attrs);
        qDebug() << "TLinkSLP::attrCallback:" << "Attribute Found" << name << list;
        emit c->wrapper->foundAttributs(name, list);
    } else if (err == SLP_LAST_CALL) {
        emit c->wrapper->finishAttributsFound(name);
        endOf(c);
    } else {
        c->wrapper->reportError(err, name);
        endOf(c);
    }
    return SLP_TRUE;
}

SLPBoolean TLinkSLP::typeCallback(SLPHandle, const char *types, SLPError err, void *cookie)
{
    Cookie *c = static_cast<Cookie *>(cookie);
    const QString &name = c->name;
    if (err == SLP_OK)
        emit c->wrapper->foundServices(QString::fromUtf8(types).split(QLatin1Char(',')));
    else if (err == SLP_LAST_CALL)
        emit c->wrapper->finishServicesFound(name);
    else
        c->wrapper->reportError(err, name);
    if (err != SLP_OK)
        endOf(c);
    return SLP_TRUE;
}
