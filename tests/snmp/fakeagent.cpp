#include "fakeagent.h"

#include <QMutexLocker>
#include <QString>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

FakeAgent::FakeAgent(int answerLimit)
    : m_answerLimit(answerLimit)
{
    m_fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in addr = {};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(m_fd, reinterpret_cast<sockaddr *>(&addr), sizeof(addr));
    socklen_t len = sizeof(addr);
    ::getsockname(m_fd, reinterpret_cast<sockaddr *>(&addr), &len);
    m_port = ntohs(addr.sin_port);
    timeval tv = {0, 50000};
    ::setsockopt(m_fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof(tv));
    m_thread = std::thread([this] { run(); });
}

FakeAgent::~FakeAgent()
{
    m_stop = true;
    m_thread.join();
    ::close(m_fd);
}

QString FakeAgent::hostAddress() const
{
    return QStringLiteral("127.0.0.1:%1").arg(m_port);
}

QList<QByteArray> FakeAgent::datagrams() const
{
    QMutexLocker locker(&m_mutex);
    return m_datagrams;
}

int FakeAgent::requestCount() const
{
    QMutexLocker locker(&m_mutex);
    return m_datagrams.size();
}

// Turns a request into its GetResponse: the PDU tag becomes 0xA2 and, for a
// single GET variable in short-form lengths, the NULL value becomes INTEGER n.
static QByteArray answer(QByteArray datagram, int n)
{
    const int at = datagram.indexOf(QByteArray("\x04\x06quarry", 8));
    if (at < 0 || at + 9 >= datagram.size())
        return QByteArray();
    const bool isGet = quint8(datagram[at + 8]) == 0xA0 || quint8(datagram[at + 8]) == 0xA1;
    datagram[at + 8] = char(0xA2);
    if (!isGet || !datagram.endsWith(QByteArray("\x05\x00", 2)) || datagram.size() > 127)
        return datagram;
    // Message, PDU, variable list and variable lengths each grow by one.
    int pos = at + 9;           // PDU length
    QList<int> lengths{1, pos};
    pos += 1;
    for (int i = 0; i < 3; ++i) // request id, error status, error index
        pos += 2 + quint8(datagram[pos + 1]);
    lengths << pos + 1 << pos + 3;
    for (int l : lengths)
        datagram[l] = char(quint8(datagram[l]) + 1);
    datagram.chop(2);
    datagram.append(char(0x02)).append(char(0x01)).append(char(n % 100));
    return datagram;
}

void FakeAgent::run()
{
    int answered = 0;
    while (!m_stop) {
        char buffer[70000];
        sockaddr_in peer = {};
        socklen_t len = sizeof(peer);
        const ssize_t n = ::recvfrom(m_fd, buffer, sizeof(buffer), 0, reinterpret_cast<sockaddr *>(&peer), &len);
        if (n <= 0)
            continue;
        QByteArray datagram(buffer, static_cast<int>(n));
        int count;
        {
            QMutexLocker locker(&m_mutex);
            m_datagrams.append(datagram);
            count = m_datagrams.size();
        }
        if (m_onRequest)
            m_onRequest(count);
        const int limit = m_answerLimit;
        if (limit >= 0 && answered >= limit)
            continue;
        const int fixed = m_fixedValue;
        const QByteArray reply = answer(datagram, fixed >= 0 ? fixed : count);
        if (reply.isEmpty())
            continue;
        datagram = reply;
        ++answered;
        ::sendto(m_fd, datagram.constData(), datagram.size(), 0, reinterpret_cast<sockaddr *>(&peer), len);
    }
}
