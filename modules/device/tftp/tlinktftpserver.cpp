#include "tlinktftpserver.h"
#include "infothreads.h"

#include "tftppacket.h"
#include "tlinktftpreadsession.h"
#include "tlinktftpwritesession.h"

#include <QDebug>
#include <QNetworkInterface>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QUdpSocket>

#include <algorithm>
#include <memory>

namespace {

void logPeerError(const QByteArray &datagram)
{
    qDebug().noquote() << "TLinkTftpServer::dataPending: Error packet received, peer session aborted\n"
                              + TftpPacket::errorText(datagram);
}

} // namespace

TLinkTftpServer::TLinkTftpServer(quint16 port)
    : InfoDevice(nullptr, tr("TFTP server"))
{

    QString failures = QStringLiteral("\nInterfaces affected:");
    bool anyFailed = false;
    const QList<QNetworkInterface> interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface &interface : interfaces) {
        const QList<QNetworkAddressEntry> entries = interface.addressEntries();
        for (const QNetworkAddressEntry &entry : entries) {
            const QHostAddress address = entry.ip();
            if (address.protocol() != QAbstractSocket::IPv4Protocol || entry.netmask().isNull())
                continue;
            auto *socket = new QUdpSocket(this);
            // Exclusive: another program on the same address and port must make the
            // bind fail rather than share the requests with this server.
            if (socket->bind(address, port, QUdpSocket::DontShareAddress)) {
                m_sockets.append(socket);
                postEvent(2048, address.toString(), 1);
                qDebug().noquote() << QStringLiteral("TLinkTftpServer::TLinkTftpServer: Socket boundstate: %1:%2 state: %3")
                                          .arg(address.toString()).arg(port).arg(int(socket->state()));
            } else {
                failures += (anyFailed ? QStringLiteral(", %1") : QStringLiteral(" %1")).arg(address.toString());
                anyFailed = true;
                qWarning().noquote() << QStringLiteral("TLinkTftpServer::TLinkTftpServer: Socket not bound to %1:%2")
                                            .arg(address.toString()).arg(port);
            }
        }
    }
    if (anyFailed)
        postEvent(2049, failures, 1);

    m_workerThread = new QThread;
    InfoThreads::stopAtExit(m_workerThread);
    m_workerThread->setObjectName(QStringLiteral("TFTP server"));
    m_workerThread->start(QThread::InheritPriority);
    moveToThread(m_workerThread);
    const int transferThreads = qBound(MinTransferThreads, QThread::idealThreadCount(), MaxTransferThreads);
    for (int i = 0; i < transferThreads; ++i) {
        auto *thread = new QThread;
        InfoThreads::stopAtExit(thread);
        thread->setObjectName(QStringLiteral("TFTP transfer %1").arg(i + 1));
        thread->start(QThread::InheritPriority);
        m_transferThreads.append(thread);
    }
    m_clock.start();
}

TLinkTftpServer::~TLinkTftpServer()
{
    stopServer();
    // The read sessions were handed to their threads' deferred deletion,
    // which those threads carry out as they end.
    for (QThread *thread : qAsConst(m_transferThreads)) {
        thread->quit();
        thread->wait();
        delete thread;
    }
    qDeleteAll(m_fileMap);
    m_fileMap.clear();
}

// The server is no device of the model list: it carries only the model name
// "0000" and none of the list's icon, service or status information.
QString TLinkTftpServer::getModelName() const
{
    return QStringLiteral("0000");
}

void TLinkTftpServer::startServer()
{
    if (m_started)
        return;
    m_started = true;
    for (QUdpSocket *socket : qAsConst(m_sockets))
        connect(socket, &QUdpSocket::readyRead, this, &TLinkTftpServer::dataPending);
    qDebug("TLinkTftpServer::startServer: TFTP Server started");
    // Requests that came before the start would otherwise wait for the next.
    dataPending();
}

void TLinkTftpServer::stopServer()
{
    for (QUdpSocket *socket : qAsConst(m_sockets))
        disconnect(socket, &QUdpSocket::readyRead, this, &TLinkTftpServer::dataPending);
    qDeleteAll(m_writeSessions);
    m_writeSessions.clear();
    for (TLinkTftpReadSession *session : qAsConst(m_readSessions))
        session->deleteLater();
    m_readSessions.clear();
    if (m_started)
        qDebug("TLinkTftpServer::stopServer: TFTP Server stopped");
    m_started = false;
}

void TLinkTftpServer::setUploadDir(const QString &dir)
{
    m_uploadDir = dir;
}

void TLinkTftpServer::mapFilename(const QString &fileName, const QString &absolutePath, const QString &fileKey)
{
    const QString path = QStringLiteral("%1/%2").arg(absolutePath, fileName);
    if (TftpFileEntry *entry = m_fileMap.value(fileKey, nullptr)) {
        // The first mapping stays, except over a file a device uploaded:
        // no device may plant what the program serves under its own keys.
        if (entry->uploaded) {
            qDebug().noquote() << "TLinkTftpServer::mapFilename: key" << fileKey
                               << "taken back from an uploaded file for" << path;
            entry->path = path;
            entry->uploaded = false;
        }
        return;
    }
    auto *entry = new TftpFileEntry;
    entry->path = path;
    m_fileMap.insert(fileKey, entry);
}

void TLinkTftpServer::mapUploadedFile(const QString &fileName, const QString &absolutePath, const QString &fileKey)
{
    if (m_fileMap.contains(fileKey))
        return;
    auto *entry = new TftpFileEntry;
    entry->path = QStringLiteral("%1/%2").arg(absolutePath, fileName);
    entry->uploaded = true;
    m_fileMap.insert(fileKey, entry);
}

void TLinkTftpServer::unMapFilename(const QString &fileKey)
{
    m_keptImage.reset();
    delete m_fileMap.take(fileKey);
}

void TLinkTftpServer::regForFileInfo(const QString &fileKey, const QObject *object, const char *member)
{
    TftpFileEntry *entry = m_fileMap.value(fileKey, nullptr);
    if (!entry || !object || !member)
        return;
    TftpReceiver receiver;
    receiver.object = object;
    receiver.member = member;
    entry->receivers.append(receiver);
}

void TLinkTftpServer::unRegForFileInfo(const QString &fileKey, const QObject *object, const char *member)
{
    TftpFileEntry *entry = m_fileMap.value(fileKey, nullptr);
    if (!entry || !member)
        return;
    const QByteArray text(member);
    for (int i = entry->receivers.size() - 1; i >= 0; --i) {
        if (entry->receivers.at(i).object == object && entry->receivers.at(i).member == text)
            entry->receivers.removeAt(i);
    }
}

void TLinkTftpServer::unRegisterReceiver(const QObject *object)
{
    for (TftpFileEntry *entry : qAsConst(m_fileMap)) {
        for (int i = entry->receivers.size() - 1; i >= 0; --i) {
            if (entry->receivers.at(i).object == object)
                entry->receivers.removeAt(i);
        }
    }
}

void TLinkTftpServer::expectUpload(const QString &peerAddress, const QString &fileName, const QString &dir)
{
    TftpUploadExpectation expectation;
    expectation.address = QHostAddress(peerAddress);
    if (expectation.address.isNull()) {
        qWarning().noquote() << "TLinkTftpServer::expectUpload: not an address:" << peerAddress;
        return;
    }
    cancelUpload(peerAddress, fileName);
    expectation.id = m_nextExpectationId++;
    expectation.fileName = fileName;
    expectation.dir = dir;
    if (m_expectations.size() >= MaxExpectations)
        m_expectations.removeFirst();
    m_expectations.append(expectation);
}

void TLinkTftpServer::cancelUpload(const QString &peerAddress, const QString &fileName)
{
    const QHostAddress address(peerAddress);
    for (int i = m_expectations.size() - 1; i >= 0; --i) {
        const TftpUploadExpectation &expectation = m_expectations.at(i);
        if (expectation.address.isEqual(address, QHostAddress::TolerantConversion) && expectation.fileName == fileName)
            m_expectations.removeAt(i);
    }
}

bool TLinkTftpServer::findExpectation(const QHostAddress &address, const QString &fileName,
                                      TftpUploadExpectation &found) const
{
    const TftpUploadExpectation *any = nullptr;
    for (const TftpUploadExpectation &expectation : m_expectations) {
        if (!expectation.address.isEqual(address, QHostAddress::TolerantConversion))
            continue;
        if (expectation.fileName == fileName) {
            found = expectation;
            return true;
        }
        if (expectation.fileName.isEmpty() && !any)
            any = &expectation;
    }
    if (!any)
        return false;
    found = *any;
    return true;
}

QString TLinkTftpServer::folderFor(const TftpUploadExpectation &expectation)
{
    if (!expectation.dir.isEmpty())
        return expectation.dir;
    if (!m_uploadDir.isEmpty())
        return m_uploadDir;
    if (!m_scratch) {
        m_scratch.reset(new QTemporaryDir);
        if (!m_scratch->isValid()) {
            m_scratch.reset();
            return QString();
        }
    }
    return m_scratch->path();
}

QSharedPointer<const TftpImage> TLinkTftpServer::image(const QString &path, TftpImage::Failure &failure)
{
    for (auto it = m_images.begin(); it != m_images.end();) {
        if (it.value().isNull())
            it = m_images.erase(it);
        else
            ++it;
    }
    QSharedPointer<const TftpImage> shared = m_images.value(path).toStrongRef();
    if (!shared || !shared->isCurrent()) {
        shared = TftpImage::open(path, failure);
        if (!shared)
            return shared;
        m_images.insert(path, shared.toWeakRef());
    }
    failure = TftpImage::NoFailure;
    // Devices of a fleet come one after the other as well as at once: the
    // image last served stays for a while after its transfers ended.
    m_keptImage = shared;
    if (!m_keepTimer) {
        m_keepTimer = new QTimer(this);
        m_keepTimer->setSingleShot(true);
        connect(m_keepTimer, &QTimer::timeout, this, [this] { m_keptImage.reset(); });
    }
    m_keepTimer->start(KeepImageMs);
    return shared;
}

void TLinkTftpServer::sendError(const TransferInfo &peer, quint16 code, const QString &message)
{
    qDebug().noquote() << QStringLiteral("TLinkTftpServer::sendError: About to send error %1 [%2]").arg(code).arg(message);
    const QByteArray packet = TftpPacket::error(code, message);
    if (peer.socket->writeDatagram(packet, peer.address, peer.port) != packet.size())
        qDebug("TLinkTftpServer::sendError: Error sending error packet %d", int(peer.socket->error()));
}

TLinkTftpReadSession *TLinkTftpServer::findReadSession(const TransferInfo &peer) const
{
    for (TLinkTftpReadSession *session : m_readSessions) {
        if (session->peer() == peer)
            return session;
    }
    return nullptr;
}

TLinkTftpWriteSession *TLinkTftpServer::findWriteSession(const TransferInfo &peer) const
{
    for (TLinkTftpWriteSession *session : m_writeSessions) {
        if (session->peer() == peer)
            return session;
    }
    return nullptr;
}

void TLinkTftpServer::dataPending()
{
    // One buffer for every datagram: the largest a TFTP peer may send is a
    // DATA block of the largest block size; anything longer is cut there.
    const int capacity = 4 + TftpPacket::MaxBlockSize + 1;
    if (m_buffer.size() < capacity)
        m_buffer.resize(capacity);
    for (QUdpSocket *socket : qAsConst(m_sockets)) {
        // Read until the socket has nothing left: a read that finds nothing
        // (after an ICMP error that woke the socket up, say) is what lets
        // the socket tell of the next datagram.
        for (;;) {
            QHostAddress address;
            quint16 port = 0;
            const qint64 read = socket->readDatagram(m_buffer.data(), capacity, &address, &port);
            if (read < 0)
                break;
            handleDatagram(socket, QByteArray::fromRawData(m_buffer.constData(), int(read)), address, port);
        }
    }
}

void TLinkTftpServer::handleDatagram(QUdpSocket *socket, const QByteArray &datagram, const QHostAddress &address,
                                     quint16 port)
{
    const TransferInfo peer{socket, address, port};
    const int opcode = TftpPacket::opcode(datagram);
    switch (opcode) {
    case TftpPacket::Rrq:
        handleRequest(peer, datagram, true);
        return;
    case TftpPacket::Wrq:
        qDebug().noquote() << QStringLiteral("TLinkTftpServer::dataPending: Write request from: [%1:%2]")
                                  .arg(peer.addressText()).arg(port);
        handleRequest(peer, datagram, false);
        return;
    case TftpPacket::Data:
        if (TLinkTftpWriteSession *session = findWriteSession(peer)) {
            takeWriteDatagram(session, datagram);
        } else {
            qDebug("TLinkTftpServer::dataPending: DATA packet without a WRQ");
            refuseStray(peer, QStringLiteral("DATA packet without a WRQ"));
        }
        break;
    case TftpPacket::Ack:
        // A read transfer takes its ACKs on its own port; one that comes here
        // from its peer is left alone, as is the repeat of a finished one's
        // last ACK.
        if (findReadSession(peer))
            qDebug("TLinkTftpServer::dataPending: ACK for a transfer port dropped");
        else if (!isLateFinalAck(peer))
            refuseStray(peer, QStringLiteral("ACK packet without a RRQ"));
        break;
    case TftpPacket::Error: {
        if (TLinkTftpWriteSession *session = findWriteSession(peer))
            removeWriteSession(session);
        else if (TLinkTftpReadSession *read = findReadSession(peer))
            removeReadSession(read);
        else {
            qDebug("TLinkTftpServer::dataPending: Error received without a session opened for the peer");
            break;
        }
        logPeerError(datagram);
        break;
    }
    case -1:
        qDebug("TLinkTftpServer::dataPending: datagram of %d bytes dropped", int(datagram.size()));
        break;
    default:
        sendError(peer, 4, QStringLiteral("Illegal TFTP opcode"));
        break;
    }
}

void TLinkTftpServer::takeWriteDatagram(TLinkTftpWriteSession *session, const QByteArray &datagram)
{
    const int opcode = TftpPacket::opcode(datagram);
    if (opcode == TftpPacket::Error) {
        logPeerError(datagram);
        removeWriteSession(session);
        return;
    }
    if (opcode != TftpPacket::Data) {
        qDebug("TLinkTftpServer: datagram of %d bytes for a write dropped", int(datagram.size()));
        return;
    }
    const TLinkTftpWriteSession::DataResult result = session->parseData(datagram);
    if (result == TLinkTftpWriteSession::Saved) {
        qDebug("TLinkTftpServer::dataPending: WriteSession Removed");
        const quint64 id = session->expectationId();
        for (int i = 0; i < m_expectations.size(); ++i) {
            if (m_expectations.at(i).id == id) {
                m_expectations.removeAt(i);
                break;
            }
        }
        emit receivedFile(session->fileName());
        emit receivedFileFrom(session->fileName(), session->peer().addressText());
        removeWriteSession(session);
    } else if (result == TLinkTftpWriteSession::Failed) {
        qDebug("TLinkTftpServer::dataPending: WriteSession Removed after a failure");
        emit errorFileTransfer(session->fileName(), session->failureReason());
        emit errorFileTransferWith(session->fileName(), session->peer().addressText(), session->failureReason());
        removeWriteSession(session);
    }
}

void TLinkTftpServer::readSessionEnded(quint64 id, int outcome, const QString &reason)
{
    TLinkTftpReadSession *session = nullptr;
    for (TLinkTftpReadSession *read : qAsConst(m_readSessions)) {
        if (read->id() == id)
            session = read;
    }
    // Gone already: aborted or the server stopped.
    if (!session)
        return;
    const QString address = session->peer().addressText();
    switch (outcome) {
    case TLinkTftpReadSession::Complete:
        qDebug("TLinkTftpServer::dataPending: ReadSession Removed");
        m_finished.append({session->peer().address, session->peer().port, m_clock.elapsed()});
        if (m_finished.size() > MaxSessions)
            m_finished.removeFirst();
        emit sentFile(session->fileName());
        emit sentFileTo(session->fileName(), address);
        break;
    case TLinkTftpReadSession::PeerError:
        break;
    default:
        emit errorFileTransfer(session->fileName(), reason);
        emit errorFileTransferWith(session->fileName(), address, reason);
        break;
    }
    removeReadSession(session);
}

bool TLinkTftpServer::isLateFinalAck(const TransferInfo &peer)
{
    // A peer that missed nothing repeats its last ACK within a few resends.
    const qint64 horizon = m_clock.elapsed() - 30000;
    while (!m_finished.isEmpty() && m_finished.first().at < horizon)
        m_finished.removeFirst();
    for (const Finished &finished : qAsConst(m_finished)) {
        if (finished.port == peer.port && finished.address == peer.address)
            return true;
    }
    return false;
}

int TLinkTftpServer::sessionsOf(const QHostAddress &address) const
{
    int count = 0;
    auto tally = [&](const TLinkTftpSession *session) {
        if (session->peer().address == address)
            ++count;
    };
    std::for_each(m_readSessions.cbegin(), m_readSessions.cend(), tally);
    std::for_each(m_writeSessions.cbegin(), m_writeSessions.cend(), tally);
    return count;
}

bool TLinkTftpServer::evictUnanswered(const QHostAddress &address)
{
    // The oldest first: the list is in the order the sessions began.
    for (TLinkTftpReadSession *session : qAsConst(m_readSessions)) {
        if (session->peer().address == address && !session->answered()) {
            qDebug().noquote() << "TLinkTftpServer: unanswered read of" << session->peer().addressText() << "ended for room";
            emit errorFileTransfer(session->fileName(), QStringLiteral(" File transfer timeout."));
            emit errorFileTransferWith(session->fileName(), session->peer().addressText(),
                                       QStringLiteral(" File transfer timeout."));
            removeReadSession(session);
            return true;
        }
    }
    return false;
}

bool TLinkTftpServer::makeRoomFor(const TransferInfo &peer)
{
    const int own = sessionsOf(peer.address);
    if (own >= MaxSessionsPerHost)
        return false;
    if (m_readSessions.size() + m_writeSessions.size() < MaxSessions)
        return true;
    // Full: the host with the most transfers gives a place up, if it has more
    // than this one (with its own never-answered reads only).
    QHash<QHostAddress, int> counts;
    auto tally = [&](const TLinkTftpSession *session) { ++counts[session->peer().address]; };
    std::for_each(m_readSessions.cbegin(), m_readSessions.cend(), tally);
    std::for_each(m_writeSessions.cbegin(), m_writeSessions.cend(), tally);
    QList<QPair<int, QHostAddress>> hosts;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        if (it.value() > own + 1)
            hosts.append({it.value(), it.key()});
    }
    std::sort(hosts.begin(), hosts.end(), [](const QPair<int, QHostAddress> &a, const QPair<int, QHostAddress> &b) {
        return a.first > b.first;
    });
    for (const auto &host : qAsConst(hosts)) {
        if (evictUnanswered(host.second))
            return true;
    }
    return false;
}

QThread *TLinkTftpServer::quietestTransferThread() const
{
    QHash<QThread *, int> load;
    for (const TLinkTftpReadSession *session : m_readSessions)
        ++load[session->thread()];
    QThread *best = m_transferThreads.first();
    for (QThread *thread : m_transferThreads) {
        if (load.value(thread) < load.value(best))
            best = thread;
    }
    return best;
}

void TLinkTftpServer::handleRequest(const TransferInfo &peer, const QByteArray &datagram, bool read)
{
    if (read ? static_cast<QObject *>(findReadSession(peer)) : findWriteSession(peer)) {
        qDebug().noquote() << "TLinkTftpServer::dataPending: request of a peer with a running transfer dropped";
        return;
    }
    const QString srvurl = peer.addressText();
    // The request is checked first: a refusal needs no session and is sent
    // however full the table is.
    std::unique_ptr<TLinkTftpSession> made;
    if (read)
        made.reset(new TLinkTftpReadSession(new TransferInfo(peer), &m_fileMap, datagram, this));
    else
        made.reset(new TLinkTftpWriteSession(new TransferInfo(peer), &m_fileMap, datagram, this));
    if (made->failed()) {
        // Refused with its ERROR: no session is kept, the peer may ask again.
        if (read)
            emit errorFileTransfer(made->fileName(), made->failureReason());
        emit errorFileTransferWith(made->fileName(), srvurl, made->failureReason());
        // The peer is alive all the same.
        emit tftpSessionStarted(srvurl);
        return;
    }
    if (!makeRoomFor(peer)) {
        sendError(peer, 0, QStringLiteral("Server busy"));
        return;
    }
    made->setId(m_nextSessionId++);
    if (read) {
        auto *session = static_cast<TLinkTftpReadSession *>(made.release());
        connect(session, &TLinkTftpReadSession::ended, this, &TLinkTftpServer::readSessionEnded);
        connect(session, &TLinkTftpReadSession::updateFileProgress, this, &TLinkTftpServer::fileProgress);
        session->moveToThread(quietestTransferThread());
        m_readSessions.append(session);
        QMetaObject::invokeMethod(session, "begin", Qt::QueuedConnection);
    } else {
        auto *session = static_cast<TLinkTftpWriteSession *>(made.get());
        session->begin();
        if (session->failed()) {
            emit errorFileTransferWith(session->fileName(), srvurl, session->failureReason());
            emit tftpSessionStarted(srvurl);
            return;
        }
        made.release();
        connect(session, &TLinkTftpWriteSession::fileCreated, this, &TLinkTftpServer::mapUploadedFile);
        connect(session, &TLinkTftpWriteSession::sessionTimeout, this, &TLinkTftpServer::sessionTimeout);
        m_writeSessions.append(session);
    }
    emit tftpSessionStarted(srvurl);
}

void TLinkTftpServer::refuseStray(const TransferInfo &peer, const QString &refusal)
{
    // Another port of an address with a transfer running: a stray transfer ID.
    // The peer of a running transfer itself gets the plain refusal.
    auto sameHost = [&peer](const TLinkTftpSession *session) {
        return session->peer().socket == peer.socket && session->peer().address == peer.address
            && session->peer().port != peer.port;
    };
    bool known = std::any_of(m_readSessions.cbegin(), m_readSessions.cend(), sameHost)
        || std::any_of(m_writeSessions.cbegin(), m_writeSessions.cend(), sameHost);
    if (known)
        sendError(peer, 5, QStringLiteral("Unknown transfer ID"));
    else
        sendError(peer, 4, refusal);
}

void TLinkTftpServer::sessionTimeout(TransferInfo *ti)
{
    // A write transfer whose peer fell silent (read transfers report their
    // end with readSessionEnded).
    TLinkTftpWriteSession *session = nullptr;
    for (TLinkTftpWriteSession *write : qAsConst(m_writeSessions)) {
        if (write->peerInfo() == ti)
            session = write;
    }
    if (!session) {
        qDebug("TLinkTftpServer::sessionTimeout: Error received without a session opened for the peer");
        return;
    }
    emit errorFileTransfer(session->fileName(), QStringLiteral(" File transfer timeout."));
    emit errorFileTransferWith(session->fileName(), session->peer().addressText(), QStringLiteral(" File transfer timeout."));
    removeWriteSession(session);
}

void TLinkTftpServer::abortReadSessions(const QString &hostAddress)
{
    for (int i = m_readSessions.size() - 1; i >= 0; --i) {
        TLinkTftpReadSession *session = m_readSessions.at(i);
        if (session->peer().addressText() == hostAddress)
            removeReadSession(session);
    }
}

void TLinkTftpServer::removeWriteSession(TLinkTftpWriteSession *session)
{
    m_writeSessions.removeOne(session);
    // It may be the session whose datagram or timer got us here.
    session->close();
    session->deleteLater();
}

void TLinkTftpServer::removeReadSession(TLinkTftpReadSession *session)
{
    m_readSessions.removeOne(session);
    // Deleted on its own thread: its socket and timer live there.
    session->deleteLater();
}
