#include "slpagent.h"
#include "slppredicate.h"

#include <QDebug>
#include <QNetworkInterface>
#include <QPointer>
#include <QTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUdpSocket>

namespace {
const QHostAddress Group(QStringLiteral("239.255.255.253"));
enum : quint8 {
    SrvRqst = 1, SrvRply = 2, SrvAck = 5, AttrRqst = 6, AttrRply = 7, DaAdvert = 8, SrvTypeRqst = 9,
    SrvTypeRply = 10, SaAdvert = 11
};
enum : quint16 {
    ParseError = 2, OptionNotUnderstood = 3, ScopeNotSupported = 4, AuthenticationUnknown = 5,
    VerNotSupported = 9, MsgNotSupported = 14
};
const quint16 FlagMulticast = 0x2000;

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
    // Replies too large for a datagram are asked for again over TCP.
    m_stream = new QTcpServer(this);
    if (!m_stream->listen(m_identity.address, m_identity.slpPort))
        qWarning() << "SlpAgent::start: no TCP service:" << m_stream->errorString();
    connect(m_stream, &QTcpServer::newConnection, this, &SlpAgent::acceptStreams);
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

SlpAgent::Parse SlpAgent::parseRequest(const QByteArray &datagram, Request *r)
{
    Cursor c(datagram);
    quint8 version = 0;
    if (!c.u8(&version))
        return Garbage;
    if (version == 1) {
        // An SLPv1 header: length in 16 bits, the id at the same place as in v2.
        quint8 fn = 0;
        quint16 length = 0;
        if (datagram.size() < 12 || !c.u8(&fn) || !c.u16(&length) || length != datagram.size())
            return Garbage;
        r->function = fn;
        r->xid = quint16(quint8(datagram[10]) << 8 | quint8(datagram[11]));
        r->language = "en";
        return OtherVersion;
    }
    quint32 length = 0, ext = 0;
    quint16 flags = 0;
    if (version != 2 || !c.u8(&r->function) || !c.u24(&length) || length != quint32(datagram.size())
        || !c.u16(&flags) || !c.u24(&ext) || !c.u16(&r->xid) || !c.string(&r->language))
        return Garbage;
    r->multicast = flags & FlagMulticast;
    const int headerEnd = datagram.size() - c.left();
    if (ext != 0 && (ext < quint32(headerEnd) || ext >= length))
        return BadBody;
    // Extensions follow the body; one this agent must understand but does
    // not (ids 0x4000 to 0x7FFF) refuses the request.
    for (quint32 at = ext; at != 0;) {
        if (at + 5 > length)
            return BadBody;
        const quint16 id = quint16(quint8(datagram[int(at)]) << 8 | quint8(datagram[int(at) + 1]));
        const quint32 next = quint32(quint8(datagram[int(at) + 2])) << 16 | quint32(quint8(datagram[int(at) + 3])) << 8
                             | quint8(datagram[int(at) + 4]);
        if (id >= 0x4000 && id <= 0x7FFF)
            r->mandatoryExtension = true;
        if (next != 0 && (next <= at || next >= length))
            return BadBody;
        at = next;
    }
    if (r->function != SrvRqst && r->function != AttrRqst && r->function != SrvTypeRqst)
        return Readable; // the body of other messages is not looked at
    const QByteArray body = datagram.mid(headerEnd, ext ? int(ext) - headerEnd : -1);
    Cursor b(body);
    QByteArray pr, first, scopes;
    if (!b.string(&pr))
        return BadBody;
    r->previousResponders = listOf(pr);
    if (r->function == SrvTypeRqst) {
        quint16 n;
        if (!b.u16(&n))
            return BadBody;
        r->allAuthorities = n == 0xFFFF;
        if (!r->allAuthorities && !b.bytes(n, &first))
            return BadBody;
    } else if (!b.string(&first)) {
        return BadBody;
    }
    if (!b.string(&scopes))
        return BadBody;
    r->first = QString::fromUtf8(first);
    r->scopes = listOf(scopes);
    if (r->function == SrvRqst || r->function == AttrRqst) {
        QByteArray third, spi; // predicate or tag list; SPI
        if (!b.string(&third) || !b.string(&spi))
            return BadBody;
        r->third = QString::fromUtf8(third);
        r->spi = spi;
    }
    if (b.left() != 0 || (r->function != SrvTypeRqst && r->first.isEmpty()))
        return BadBody;
    return Readable;
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

quint8 SlpAgent::replyFunction(quint8 requestFunction)
{
    switch (requestFunction) {
    case SrvRqst:
        return SrvRply;
    case AttrRqst:
        return AttrRply;
    case SrvTypeRqst:
        return SrvTypeRply;
    default:
        return SrvAck; // carries nothing but its error code
    }
}

QByteArray SlpAgent::errorReply(const Request &r, quint16 error)
{
    const quint8 fn = replyFunction(r.function);
    QByteArray m = header(fn, r.xid, r.language.isEmpty() ? QByteArray("en") : r.language);
    put16(&m, error);
    if (fn == SrvRply) {
        put16(&m, 0); // no URL entries
    } else if (fn == AttrRply) {
        put16(&m, 0); // empty attribute list
        m.append(char(0)); // no authentication blocks
    } else if (fn == SrvTypeRply) {
        put16(&m, 0); // empty type list
    }
    finish(&m);
    return m;
}

QByteArray SlpAgent::saAdvert(const Request &r) const
{
    QByteArray m = header(SaAdvert, r.xid, r.language);
    putString(&m, QByteArray("service:service-agent://") + m_identity.address.toString().toUtf8());
    putString(&m, "DEFAULT");
    putString(&m, QByteArray());
    m.append(char(0)); // no authentication blocks
    finish(&m);
    return m;
}

QByteArray SlpAgent::answer(const Request &r) const
{
    const bool multicast = r.multicast;
    bool defaultScope = false;
    for (const QString &s : r.scopes)
        defaultScope = defaultScope || s.compare(QLatin1String("DEFAULT"), Qt::CaseInsensitive) == 0;
    if (!r.spi.isEmpty())
        return multicast ? QByteArray() : errorReply(r, AuthenticationUnknown);
    if (!defaultScope)
        return multicast ? QByteArray() : errorReply(r, ScopeNotSupported);
    if (r.function == SrvRqst && r.first.compare(QLatin1String("service:service-agent"), Qt::CaseInsensitive) == 0)
        return saAdvert(r);
    QByteArray m = header(replyFunction(r.function), r.xid, r.language);
    const QList<Service> all = services();
    put16(&m, 0); // no error
    if (r.function == SrvRqst) {
        QList<Service> hits;
        for (const Service &s : all) {
            const QString type = s.type();
            if (type.compare(r.first, Qt::CaseInsensitive) != 0
                && !type.startsWith(r.first + QLatin1Char(':'), Qt::CaseInsensitive))
                continue;
            const SlpPredicate::Result p = SlpPredicate::evaluate(r.third, SlpPredicate::attributes(s.attributes));
            if (p == SlpPredicate::Invalid)
                return multicast ? QByteArray() : errorReply(r, ParseError);
            if (p == SlpPredicate::Match)
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
        // By URL the attributes of that service; by service type those of
        // every service of the type.
        QStringList wanted;
        for (const QString &tag : r.third.split(QLatin1Char(','), Qt::SkipEmptyParts))
            wanted << tag.trimmed();
        QStringList items;
        bool hit = false;
        for (const Service &s : all) {
            if (s.url.compare(r.first, Qt::CaseInsensitive) != 0 && s.type().compare(r.first, Qt::CaseInsensitive) != 0)
                continue;
            hit = true;
            for (const QString &item : splitAttributes(s.attributes)) {
                const QString tag = item.startsWith(QLatin1Char('(')) ? item.mid(1).section(QLatin1Char('='), 0, 0)
                                                                      : item;
                if (SlpPredicate::tagWanted(tag.trimmed(), wanted) && !items.contains(item))
                    items << item;
            }
        }
        if (!hit && multicast)
            return {};
        const QByteArray attrs = items.join(QLatin1Char(',')).toUtf8();
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

QStringList SlpAgent::splitAttributes(const QString &list)
{
    // At the commas between items, not those inside "(tag=v1,v2)".
    QStringList out;
    int depth = 0, from = 0;
    for (int i = 0; i <= list.size(); ++i) {
        if (i == list.size() || (list[i] == QLatin1Char(',') && depth == 0)) {
            if (i > from)
                out << list.mid(from, i - from);
            from = i + 1;
        } else if (list[i] == QLatin1Char('(')) {
            ++depth;
        } else if (list[i] == QLatin1Char(')') && depth > 0) {
            --depth;
        }
    }
    return out;
}

QByteArray SlpAgent::cutToFit(const QByteArray &message, int mtu)
{
    if (mtu <= 0 || message.size() <= mtu)
        return message;
    // Cut where the reply's own fields stay readable: whole URL entries, or a
    // shorter list; OVERFLOW says the rest is missing.
    const int headerSize = message.size() < 14 ? 0 : 14 + (quint8(message[12]) << 8 | quint8(message[13]));
    if (headerSize == 0 || message.size() < headerSize + 4)
        return message;
    const quint8 fn = quint8(message[1]);
    QByteArray m = message.left(headerSize + 2); // header and error code
    if (fn == SrvRply) {
        Cursor c(message);
        QByteArray skip;
        c.bytes(headerSize + 2, &skip);
        quint16 count = 0;
        c.u16(&count);
        QByteArray entries;
        int fitting = 0;
        for (quint16 i = 0; i < count; ++i) {
            QByteArray head, url, auths;
            if (!c.bytes(3, &head) || !c.string(&url) || !c.bytes(1, &auths))
                break;
            QByteArray entry = head;
            putString(&entry, url);
            entry += auths;
            if (m.size() + 2 + entries.size() + entry.size() > mtu)
                break;
            entries += entry;
            ++fitting;
        }
        put16(&m, quint16(fitting));
        m += entries;
    } else {
        const int tail = fn == AttrRply ? 1 : 0; // the authentication block count
        const int room = qMax(0, mtu - m.size() - 2 - tail);
        const int listSize = quint8(message[headerSize + 2]) << 8 | quint8(message[headerSize + 3]);
        const QByteArray list = message.mid(headerSize + 4, qMin(listSize, room));
        putString(&m, list);
        if (tail)
            m.append(char(0));
    }
    m[5] = char(quint8(m[5]) | 0x80); // OVERFLOW
    finish(&m);
    return m;
}

QByteArray SlpAgent::reply(const QByteArray &datagram, bool viaGroup, bool stream)
{
    Request r;
    const Parse parsed = parseRequest(datagram, &r);
    if (parsed == Garbage) {
        qDebug() << "SlpAgent::reply: ignored an unreadable message";
        return {};
    }
    r.multicast = r.multicast || viaGroup;
    // Errors are never answered to a multicast request.
    const bool request = r.function == SrvRqst || r.function == AttrRqst || r.function == SrvTypeRqst;
    if (parsed == OtherVersion)
        return r.multicast ? QByteArray() : errorReply(r, VerNotSupported);
    if (r.function == SrvRply || r.function == SrvAck || r.function == AttrRply || r.function == DaAdvert
        || r.function == SrvTypeRply || r.function == SaAdvert)
        return {}; // answers and adverts are not requests to this agent
    if (parsed == BadBody)
        return r.multicast ? QByteArray() : errorReply(r, ParseError);
    if (!request)
        return r.multicast ? QByteArray() : errorReply(r, MsgNotSupported);
    if (r.mandatoryExtension)
        return r.multicast ? QByteArray() : errorReply(r, OptionNotUnderstood);
    if (r.multicast && r.previousResponders.contains(m_identity.address.toString()))
        return {};
    const QByteArray m = answer(r);
    return stream ? m : cutToFit(m, m_identity.slpMtu);
}

void SlpAgent::handle(const QByteArray &datagram, const QHostAddress &from, quint16 port, bool viaGroup)
{
    if (m_identity.silent || m_identity.restarting)
        return;
    const QByteArray message = reply(datagram, viaGroup, false);
    if (message.isEmpty())
        return;
    QPointer<QUdpSocket> socket = m_unicast;
    auto send = [socket, message, from, port] {
        if (socket)
            socket->writeDatagram(message, from, port);
    };
    const int delayMs = m_identity.delayMs + m_identity.slpDelayMs;
    if (delayMs > 0)
        QTimer::singleShot(delayMs, this, send);
    else
        send();
}

void SlpAgent::acceptStreams()
{
    while (QTcpSocket *socket = m_stream->nextPendingConnection()) {
        socket->setParent(this);
        // A connection lives for one request and a few seconds at most.
        QTimer::singleShot(5000, socket, [socket] { socket->abort(); });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
            QByteArray &pending = m_streamData[socket];
            pending += socket->readAll();
            if (pending.size() < 5)
                return;
            const int length = quint8(pending[2]) << 16 | quint8(pending[3]) << 8 | quint8(pending[4]);
            if (length < 5 || length > 65535) {
                m_streamData.remove(socket);
                socket->abort();
                return;
            }
            if (pending.size() < length)
                return;
            const QByteArray request = pending.left(length);
            m_streamData.remove(socket);
            if (m_identity.silent || m_identity.restarting) {
                socket->abort();
                return;
            }
            const QByteArray message = reply(request, false, true);
            if (!message.isEmpty())
                socket->write(message);
            socket->disconnectFromHost();
        });
        connect(socket, &QObject::destroyed, this, [this, socket] { m_streamData.remove(socket); });
    }
}
