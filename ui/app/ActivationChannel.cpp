#include "ui/app/ActivationChannel.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

#include <QApplication>
#include <QFile>
#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>

#include "ui/dialog/FileNames.h"

namespace {

// Bytes read from a peer at a time.
constexpr std::size_t kReadChunk = 4096;

bool AddressOf(const QString& path, sockaddr_un& address)
{
    const QByteArray encoded = QFile::encodeName(path);
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (encoded.isEmpty() || static_cast<std::size_t>(encoded.size()) >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, encoded.constData(), static_cast<std::size_t>(encoded.size()));
    return true;
}

} // namespace

struct ActivationChannel::Connection
{
    int fd = -1;
    QSocketNotifier* pNotifier = nullptr;
    ActivationRequestReader request;
    bool bActivationHeard = false;
    qint64 deadlineMs = 0; // on the channel's clock
};

ActivationChannel::ActivationChannel(const QString& socketPath, QObject* pParent)
    : QObject(pParent), m_socketPath(socketPath), m_pExpiryTimer(new QTimer(this)), m_pResumeTimer(new QTimer(this)),
      m_pRaiseTimer(new QTimer(this))
{
    m_clock.start();
    m_pExpiryTimer->setSingleShot(true);
    connect(m_pExpiryTimer, &QTimer::timeout, this, &ActivationChannel::CloseExpired);
    m_pResumeTimer->setSingleShot(true);
    m_pResumeTimer->setInterval(kAcceptPauseMs);
    connect(m_pResumeTimer, &QTimer::timeout, this, [this] { m_pListenNotifier->setEnabled(true); });
    m_pRaiseTimer->setSingleShot(true);
    m_pRaiseTimer->setInterval(kRaiseIntervalMs);
    connect(m_pRaiseTimer, &QTimer::timeout, this, &ActivationChannel::OnRaiseIntervalOver);
    // A start that hands over no files leaves the running instance as it is:
    // only files bring its window to the front.
    connect(this, &ActivationChannel::OpenRequested, this, &ActivationChannel::OnActivation);
}

ActivationChannel::~ActivationChannel()
{
    while (!m_connections.empty())
        Close(m_connections.back().get());
    if (m_listenFd >= 0) {
        delete m_pListenNotifier;
        ::close(m_listenFd);
        // The socket file goes with its listener, as a cleanly ended instance leaves none.
        ::unlink(QFile::encodeName(m_socketPath).constData());
    }
}

bool ActivationChannel::Listen()
{
    sockaddr_un address;
    if (m_listenFd >= 0 || !AddressOf(m_socketPath, address))
        return false;
    // Only the holder of the single-instance token listens, so whatever socket
    // is there is a leftover.
    ::unlink(address.sun_path);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return false;
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::chmod(address.sun_path, S_IRWXU) != 0 || ::listen(fd, SOMAXCONN) != 0) {
        ::close(fd);
        return false;
    }
    m_listenFd = fd;
    m_pListenNotifier = new QSocketNotifier(static_cast<qintptr>(fd), QSocketNotifier::Read, this);
    connect(m_pListenNotifier, &QSocketNotifier::activated, this, &ActivationChannel::OnNewConnection);
    // Enabled already; said here so that the first call on a notifier is not
    // made when descriptors have run out: a sanitizer build checks an object's
    // type at its first call through a pipe, which then cannot be opened.
    m_pListenNotifier->setEnabled(true);
    return true;
}

void ActivationChannel::OnNewConnection()
{
    // The notifier fires again while connections wait, so a long queue is
    // taken over several turns of the event loop.
    for (int i = 0; i < kAcceptsPerTurn; ++i) {
        if (!AcceptOne())
            return;
    }
}

// Takes one waiting connection; false when there is none or none can be taken now.
bool ActivationChannel::AcceptOne()
{
    const int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (fd < 0) {
        switch (errno) {
        case EINTR:
        case ECONNABORTED: // that peer gave up; others may be waiting
            return true;
        case EAGAIN:
#if EWOULDBLOCK != EAGAIN
        case EWOULDBLOCK:
#endif
            return false;
        case EMFILE:
        case ENFILE:
        case ENOBUFS:
        case ENOMEM:
            // Out of descriptors or memory: the connection stays queued, and
            // the notifier would fire again at once. Make room by letting the
            // oldest peer go, or rest for a while.
            if (!m_connections.empty()) {
                Close(m_connections.front().get());
                return true;
            }
            PauseAccepting();
            return false;
        default: PauseAccepting(); return false;
        }
    }
    // A newcomer is more likely a genuine start than the oldest, silent peer.
    if (m_connections.size() >= kMaxPeers)
        Close(m_connections.front().get());
    auto pConnection = std::make_unique<Connection>();
    pConnection->fd = fd;
    pConnection->deadlineMs = m_clock.elapsed() + kIdleLimitMs;
    pConnection->pNotifier = new QSocketNotifier(static_cast<qintptr>(fd), QSocketNotifier::Read, this);
    Connection* pRaw = pConnection.get();
    connect(pConnection->pNotifier, &QSocketNotifier::activated, this, [this, pRaw] { OnReadable(pRaw); });
    m_connections.push_back(std::move(pConnection));
    ScheduleExpiry();
    // A second start sends its line right after connecting: it is usually here already.
    OnReadable(pRaw);
    return true;
}

void ActivationChannel::OnReadable(Connection* pConnection)
{
    char buffer[kReadChunk];
    for (;;) {
        const ssize_t n = ::read(pConnection->fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return; // the rest of the request is still on its way
        ActivationRequestReader& request = pConnection->request;
        if (n > 0)
            request.Take(std::string_view(buffer, static_cast<std::size_t>(n)));
        else
            request.End(); // the end of the stream, or an error
        const bool bNewlyActivated = request.Activated() && !pConnection->bActivationHeard;
        pConnection->bActivationHeard = request.Activated();
        const bool bOver = request.Status() != ActivationRequestReader::State::Reading;
        QStringList files;
        if (request.Status() == ActivationRequestReader::State::Finished) {
            for (const std::string& path : request.Paths())
                files << QFile::decodeName(QByteArray::fromStdString(path));
        }
        // The conversation ends before anyone hears of it, so that nothing
        // done on hearing it can touch a connection that is gone.
        if (bOver)
            Close(pConnection);
        if (bNewlyActivated)
            emit ActivationRequested();
        if (!files.isEmpty())
            emit OpenRequested(files);
        // After the first line the window comes up at once; the notifier
        // fires again for the rest of the request.
        if (bOver || bNewlyActivated)
            return;
    }
}

void ActivationChannel::Close(Connection* pConnection)
{
    const auto it = std::find_if(m_connections.begin(), m_connections.end(),
                                 [pConnection](const auto& p) { return p.get() == pConnection; });
    if (it == m_connections.end())
        return;
    // Called from the notifier's own signal: it goes once that has returned.
    pConnection->pNotifier->setEnabled(false);
    pConnection->pNotifier->deleteLater();
    ::close(pConnection->fd);
    m_connections.erase(it);
    // Room again for a connection the listener could not take.
    if (m_pResumeTimer->isActive()) {
        m_pResumeTimer->stop();
        m_pListenNotifier->setEnabled(true);
    }
}

void ActivationChannel::CloseExpired()
{
    const qint64 now = m_clock.elapsed();
    while (!m_connections.empty() && m_connections.front()->deadlineMs <= now)
        Close(m_connections.front().get());
    ScheduleExpiry();
}

// One timer for all peers: the oldest reaches the idle limit first.
void ActivationChannel::ScheduleExpiry()
{
    if (m_connections.empty()) {
        m_pExpiryTimer->stop();
        return;
    }
    const qint64 waitMs = std::max<qint64>(0, m_connections.front()->deadlineMs - m_clock.elapsed());
    m_pExpiryTimer->start(static_cast<int>(waitMs));
}

void ActivationChannel::PauseAccepting()
{
    m_pListenNotifier->setEnabled(false);
    m_pResumeTimer->start();
}

void ActivationChannel::OnActivation()
{
    if (m_pRaiseTimer->isActive()) {
        m_bRaisePending = true;
        return;
    }
    emit RaiseRequested();
    m_pRaiseTimer->start();
}

void ActivationChannel::OnRaiseIntervalOver()
{
    if (!m_bRaisePending)
        return;
    m_bRaisePending = false;
    emit RaiseRequested();
    m_pRaiseTimer->start();
}

bool ActivationChannel::NotifyRunningInstance(const QString& socketPath, int timeoutMs)
{
    return NotifyRunningInstance(socketPath, QStringList(), timeoutMs);
}

bool ActivationChannel::NotifyRunningInstance(const QString& socketPath, const QStringList& files, int timeoutMs)
{
    std::vector<std::string> paths;
    for (const QString& file : files)
        paths.push_back(QFile::encodeName(AbsoluteFileName(file)).toStdString());
    const std::string request = ActivationRequest(paths);
    sockaddr_un address;
    if (!AddressOf(socketPath, address))
        return false;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    // Connecting and sending wait at most this long for a listener that is slow
    // to take the line.
    timeval timeout{};
    timeout.tv_sec = timeoutMs / 1000;
    timeout.tv_usec = static_cast<suseconds_t>(timeoutMs % 1000) * 1000;
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
    bool bSent = false;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
        const char* p = request.data();
        std::size_t left = request.size();
        while (left > 0) {
            // MSG_NOSIGNAL: a listener that went away must not end this process.
            const ssize_t n = ::send(fd, p, left, MSG_NOSIGNAL);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            p += n;
            left -= static_cast<std::size_t>(n);
        }
        bSent = left == 0;
    }
    ::close(fd);
    return bSent;
}

void ActivationChannel::BringToFront()
{
    QWidget* pTop = QApplication::activeModalWidget();
    if (!pTop)
        pTop = QApplication::activeWindow();
    if (!pTop)
        return;
    if (pTop->isMinimized())
        pTop->showNormal();
    pTop->raise();
    pTop->activateWindow();
}
