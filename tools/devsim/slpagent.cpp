#include "slpagent.h"

#include <QDebug>
#include <QNetworkInterface>
#include <QPointer>
#include <QTimer>
#include <QUdpSocket>

namespace {
const QHostAddress Group(QStringLiteral("239.255.255.253"));
enum : quint8 { SrvRqst = 1, SrvRply = 2, AttrRqst = 6, AttrRply = 7, SrvTypeRqst = 9, SrvTypeRply = 10 };
enum : quint16 { ParseError = 2, ScopeNotSupported = 4, MsgNotSupported = 14 };

// Reads the big-endian fields of one datagram, refusing to pass its end.
class Cursor
{
public:
    explicit Cursor(const QByteArray &d) : m_d(d) {}
    bool u8(quint8 *v)
    {
        if (m_d.size() - m_pos < 1)
            return false;
        *v = quint8(m_d[m_pos++]);
        return true;
    }
    bool u16(quint16 *v)
    {
        quint8 a, b;
        if (!u8(&a) || !u8(&b))
            return false;
        *v = quint16(a << 8 | b);
        return true;
    }
    bool u24(quint32 *v)
    {
        quint8 a;
        quint16 b;
        if (!u8(&a) || !u16(&b))
            return false;
        *v = quint32(a) << 16 | b;
        return true;
    }
    bool bytes(int n, QByteArray *out)
    {
        if (n < 0 || m_d.size() - m_pos < n)
            return false;
        *out = m_d.mid(m_pos, n);
        m_pos += n;
        return true;
    }
    bool string(QByteArray *out)
    {
        quint16 n;
        return u16(&n) && bytes(n, out);
    }
    int left() const { return m_d.size() - m_pos; }

private:
    const QByteArray &m_d;
    int m_pos = 0;
};

QStringList listOf(const QByteArray &text)
{
    QStringList out;
    const QStringList parts = QString::fromUtf8(text).split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (const QString &p : parts)
        out << p.trimmed();
    return out;
}
} // namespace

QString SlpAgent::Service::type() const
{
    return url.left(url.indexOf(QLatin1String("://")));
}

SlpAgent::SlpAgent(DeviceIdentity &identity, QObject *parent)
    : QObject(parent), m_identity(identity)
{
}

bool SlpAgent::start(QString *error)
{
    const QNetworkInterface lo = QNetworkInterface::interfaceFromName(QStringLiteral("lo"));
    m_group = new QUdpSocket(this);
    m_unicast = new QUdpSocket(this);
    const auto mode = QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint;
    if (!m_group->bind(Group, m_identity.slpPort, mode) || !m_group->joinMulticastGroup(Group, lo)) {
        *error = QStringLiteral("multicast socket: ") + m_group->errorString();
        return false;
    }
    if (!m_unicast->bind(m_identity.address, m_identity.slpPort, mode)) {
        *error = QStringLiteral("unicast socket: ") + m_unicast->errorString();
        return false;
    }
    connect(m_group, &QUdpSocket::readyRead, this, [this] { readPending(m_group, true); });
    connect(m_unicast, &QUdpSocket::readyRead, this, [this] { readPending(m_unicast, false); });
    return true;
}

QList<SlpAgent::Service> SlpAgent::services() const
{
    const QString ip = m_identity.address.toString();
    const QString attrs = QStringLiteral("(device-vendor=%1),(device-model=%2),(device-serial-no=%3),"
                                         "(device-sw-version=%4),(device-product=%5),(device-sw-build=%6),"
                                         "(device-alias=%7)")
                              .arg(escape(m_identity.vendor), escape(m_identity.model), escape(m_identity.serial),
                                   escape(m_identity.swVersion), escape(m_identity.product),
                                   escape(m_identity.swBuild), escape(m_identity.alias));
    return {{QStringLiteral("service:device.vantor://") + ip, attrs},
            {QStringLiteral("service:web.vantor:http://") + ip, QStringLiteral("/index.html")},
            {QStringLiteral("service:mib.vantor:http://") + ip, QStringLiteral("/vantor.mib")}};
}

QString SlpAgent::escape(const QString &value)
{
    QString out;
    for (const QChar c : value) {
        if (QStringLiteral("(),\\!<=>~").contains(c) || c.unicode() < 0x20)
            out += QStringLiteral("\\%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out;
}

void SlpAgent::readPending(QUdpSocket *socket, bool viaGroup)
{
    while (socket->hasPendingDatagrams()) {
        QByteArray datagram(int(socket->pendingDatagramSize()), Qt::Uninitialized);
        QHostAddress from;
        quint16 port = 0;
        const qint64 n = socket->readDatagram(datagram.data(), datagram.size(), &from, &port);
        if (n < 0)
            continue;
        datagram.resize(int(n));
        handle(datagram, from, port, viaGroup);
    }
}

bool SlpAgent::parseRequest(const QByteArray &datagram, Request *r)
{
    Cursor c(datagram);
    quint8 version;
    quint16 flags;
    quint32 length, ext;
    QByteArray pr, first, scopes, rest;
    if (!c.u8(&version) || version != 2 || !c.u8(&r->function) || !c.u24(&length)
        || length != quint32(datagram.size()) || !c.u16(&flags) || !c.u24(&ext) || !c.u16(&r->xid)
        || !c.string(&r->language) || !c.string(&pr))
        return false;
    r->previousResponders = listOf(pr);
    if (r->function == SrvTypeRqst) {
        quint16 n;
        if (!c.u16(&n))
            return false;
        r->allAuthorities = n == 0xFFFF;
        if (!r->allAuthorities && !c.bytes(n, &first))
            return false;
    } else if (!c.string(&first)) {
        return false;
    }
    if (!c.string(&scopes))
        return false;
    r->first = QString::fromUtf8(first);
    r->scopes = listOf(scopes);
    if (r->function == SrvRqst || r->function == AttrRqst) {
        QByteArray third, spi; // predicate or tag list; SPI
        if (!c.string(&third) || !c.string(&spi))
            return false;
    }
    return c.left() == 0 || ext != 0;
}

void SlpAgent::put16(QByteArray *out, quint16 v)
{
    out->append(char(v >> 8));
    out->append(char(v & 0xFF));
}

void SlpAgent::putString(QByteArray *out, const QByteArray &s)
{
    put16(out, quint16(s.size()));
    out->append(s);
}

QByteArray SlpAgent::header(quint8 function, quint16 xid, const QByteArray &language)
{
    QByteArray h;
    h.append(char(2));
    h.append(char(function));
    h.append(3, char(0)); // length
    put16(&h, 0);         // flags
    h.append(3, char(0)); // no extension
    put16(&h, xid);
    putString(&h, language);
    return h;
}

void SlpAgent::finish(QByteArray *m)
{
    const int n = m->size();
    (*m)[2] = char(n >> 16);
    (*m)[3] = char(n >> 8);
    (*m)[4] = char(n);
}

QByteArray SlpAgent::answer(const Request &r, bool multicast) const
{
    const quint8 replyFunction = r.function == SrvRqst ? SrvRply : r.function == AttrRqst ? AttrRply : SrvTypeRply;
    QByteArray m = header(replyFunction, r.xid, r.language);
    bool defaultScope = false;
    for (const QString &s : r.scopes)
        defaultScope = defaultScope || s.compare(QLatin1String("DEFAULT"), Qt::CaseInsensitive) == 0;
    if (!defaultScope) {
        if (multicast)
            return {};
        put16(&m, ScopeNotSupported);
        put16(&m, 0);
        finish(&m);
        return m;
    }
    const QList<Service> all = services();
    put16(&m, 0); // no error
    if (r.function == SrvRqst) {
        QList<Service> hits;
        for (const Service &s : all) {
            const QString type = s.type();
            if (type.compare(r.first, Qt::CaseInsensitive) == 0
                || type.startsWith(r.first + QLatin1Char(':'), Qt::CaseInsensitive))
                hits << s;
        }
        if (hits.isEmpty() && multicast)
            return {};
        put16(&m, quint16(hits.size()));
        for (const Service &s : hits) {
            m.append(char(0));
            put16(&m, 0xFFFF); // lifetime
            if (m_identity.broken) {
                put16(&m, quint16(s.url.size() + 200)); // runs past the end
                m.append(s.url.toUtf8());
            } else {
                putString(&m, s.url.toUtf8());
            }
            m.append(char(0)); // no authentication blocks
        }
    } else if (r.function == AttrRqst) {
        const Service *hit = nullptr;
        for (const Service &s : all)
            if (s.url.compare(r.first, Qt::CaseInsensitive) == 0)
                hit = &s;
        if (!hit && multicast)
            return {};
        const QByteArray attrs = hit ? hit->attributes.toUtf8() : QByteArray();
        if (m_identity.broken) {
            put16(&m, quint16(attrs.size() + 200));
            m.append(attrs);
        } else {
            putString(&m, attrs);
            m.append(char(0));
        }
    } else {
        QStringList types;
        for (const Service &s : all) {
            // The naming authority follows the first "." of the abstract type.
            const QString abstract = s.type().section(QLatin1Char(':'), 1, 1);
            const int dot = abstract.indexOf(QLatin1Char('.'));
            const QString authority = dot < 0 ? QString() : abstract.mid(dot + 1);
            if ((r.allAuthorities || authority.compare(r.first, Qt::CaseInsensitive) == 0)
                && !types.contains(s.type()))
                types << s.type();
        }
        if (types.isEmpty() && multicast)
            return {};
        const QByteArray list = types.join(QLatin1Char(',')).toUtf8();
        if (m_identity.broken) {
            put16(&m, quint16(list.size() + 200));
            m.append(list);
        } else {
            putString(&m, list);
        }
    }
    finish(&m);
    return m;
}

void SlpAgent::handle(const QByteArray &datagram, const QHostAddress &from, quint16 port, bool viaGroup)
{
    if (m_identity.silent || m_identity.restarting)
        return;
    Request r;
    const bool ok = parseRequest(datagram, &r);
    QByteArray reply;
    if (!ok || (r.function != SrvRqst && r.function != AttrRqst && r.function != SrvTypeRqst)) {
        qDebug() << "SlpAgent::handle: unreadable or unexpected request from" << from.toString();
        if (viaGroup || datagram.size() < 12)
            return;
        // Unicast: say what went wrong, echoing the request's id.
        const quint16 xid = quint16(quint8(datagram[10]) << 8 | quint8(datagram[11]));
        const quint8 fn = quint8(datagram[1]);
        reply = header(fn == SrvRqst ? SrvRply : fn == AttrRqst ? AttrRply : SrvTypeRply, xid, "en");
        put16(&reply, ok ? MsgNotSupported : ParseError);
        finish(&reply);
    } else {
        if (viaGroup && r.previousResponders.contains(m_identity.address.toString()))
            return;
        reply = answer(r, viaGroup);
    }
    if (reply.isEmpty())
        return;
    QPointer<QUdpSocket> socket = m_unicast;
    auto send = [socket, reply, from, port] {
        if (socket)
            socket->writeDatagram(reply, from, port);
    };
    if (m_identity.delayMs > 0)
        QTimer::singleShot(m_identity.delayMs, this, send);
    else
        send();
}
