#include "tlinksyslogmonitor.h"

#include "syslogbacklog.h"

#include <QDebug>
#include <QHostAddress>
#include <QSettings>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <cstring>
#include <linux/sock_diag.h>
#include <unistd.h>

namespace {
const int kDefaultPort = 514;
const int kReceiveBuffer = 8 * 1024 * 1024;
// Datagrams handed on per signal, and read per wake-up before the event
// loop gets its turn again.
const int kBatch = 512;
const int kPerWake = 8192;
} // namespace

TLinkSyslogMonitor::TLinkSyslogMonitor(SyslogBacklog *backlog)
    : m_backlog(backlog)
{
    qRegisterMetaType<SyslogDatagrams>("SyslogDatagrams");

    bool ok = false;
    const int configured = QSettings().value(QStringLiteral("syslog_server/portnumber")).toInt(&ok);
    m_port = quint16((ok && configured > 0 && configured <= 65535) ? configured : kDefaultPort);

    m_buffers.resize(kSlots * kSlotSize);
    m_headers.resize(kSlots);
    m_iovecs.resize(kSlots);
    m_senders.resize(kSlots);

    m_fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (m_fd < 0) {
        qDebug() << "TLinkSyslogMonitor::TLinkSyslogMonitor:" << "no socket:" << std::strerror(errno);
        return;
    }
    const int one = 1;
    ::setsockopt(m_fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    // A large buffer carries bursts; beyond the system's limit only root may go.
    if (::setsockopt(m_fd, SOL_SOCKET, SO_RCVBUFFORCE, &kReceiveBuffer, sizeof kReceiveBuffer) != 0)
        ::setsockopt(m_fd, SOL_SOCKET, SO_RCVBUF, &kReceiveBuffer, sizeof kReceiveBuffer);

    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    address.sin_port = htons(m_port);
    m_bound = ::bind(m_fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0;
    if (!m_bound)
        qDebug() << "TLinkSyslogMonitor::TLinkSyslogMonitor:" << "cannot bind port" << m_port << ":"
                 << std::strerror(errno);

    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TLinkSyslogMonitor::processPendingDatagrams);
}

TLinkSyslogMonitor::~TLinkSyslogMonitor()
{
    delete m_notifier;
    if (m_fd >= 0)
        ::close(m_fd);
}

QString TLinkSyslogMonitor::senderText(const sockaddr_in &address)
{
    const quint32 ip = ntohl(address.sin_addr.s_addr);
    if (ip != m_lastSender || m_lastSenderText.isEmpty()) {
        m_lastSender = ip;
        m_lastSenderText = QHostAddress(ip).toString();
    }
    return m_lastSenderText;
}

void TLinkSyslogMonitor::resume()
{
    if (m_notifier)
        m_notifier->setEnabled(true);
    processPendingDatagrams();
}

void TLinkSyslogMonitor::noteDropped()
{
    // The kernel's running total of datagrams it dropped on this socket.
    quint32 info[SK_MEMINFO_VARS] = {};
    socklen_t size = sizeof info;
    if (::getsockopt(m_fd, SOL_SOCKET, SO_MEMINFO, info, &size) != 0 || size <= SK_MEMINFO_DROPS * sizeof(quint32))
        return;
    const quint32 total = info[SK_MEMINFO_DROPS];
    const quint32 before = m_dropped.fetchAndStoreOrdered(total);
    if (total != before)
        qWarning().noquote() << QStringLiteral("TLinkSyslogMonitor: %1 datagrams lost to a full receive buffer "
                                               "on port %2 (%3 since start)")
                                    .arg(total - before)
                                    .arg(m_port)
                                    .arg(total);
}

void TLinkSyslogMonitor::processPendingDatagrams()
{
    if (m_fd < 0)
        return;
    noteDropped();
    SyslogDatagrams batch;
    batch.reserve(kBatch);
    int taken = 0;
    while (taken < kPerWake) {
        if (m_backlog && m_backlog->isFull()) {
            // Look again shortly; until then the socket buffer holds the rest.
            m_notifier->setEnabled(false);
            QTimer::singleShot(1, this, &TLinkSyslogMonitor::resume);
            break;
        }
        const int room = qMin(kSlots, kBatch - batch.size());
        for (int i = 0; i < room; ++i) {
            m_iovecs[i].iov_base = m_buffers.data() + i * kSlotSize;
            m_iovecs[i].iov_len = kSlotSize;
            std::memset(&m_headers[i], 0, sizeof(mmsghdr));
            m_headers[i].msg_hdr.msg_iov = &m_iovecs[i];
            m_headers[i].msg_hdr.msg_iovlen = 1;
            m_headers[i].msg_hdr.msg_name = &m_senders[i];
            m_headers[i].msg_hdr.msg_namelen = sizeof(sockaddr_in);
        }
        const int got = ::recvmmsg(m_fd, m_headers.data(), unsigned(room), MSG_DONTWAIT, nullptr);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        int weight = 0;
        for (int i = 0; i < got; ++i) {
            batch.append(SyslogDatagram {senderText(m_senders[i]),
                                         QByteArray(m_buffers.constData() + i * kSlotSize,
                                                    int(m_headers[i].msg_len))});
            weight += SyslogBacklog::weight(int(m_headers[i].msg_len));
        }
        if (m_backlog)
            m_backlog->add(weight);
        taken += got;
        if (batch.size() >= kBatch) {
            emit datagramsReceived(batch);
            batch.clear();
            batch.reserve(kBatch);
        }
    }
    if (!batch.isEmpty())
        emit datagramsReceived(batch);
}
