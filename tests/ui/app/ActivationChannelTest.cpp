// The activation channel under load: peers that connect and say nothing, a
// process short of file descriptors, and bursts of genuine requests. The peers
// are a child process that talks to the channel over real sockets while this
// process runs the channel in its event loop.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cerrno>
#include <cstring>
#include <iostream>
#include <memory>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/ActivationMessage.h"
#include "ui/app/ActivationChannel.h"

namespace {

sockaddr_un AddressOf(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, name.constData(), static_cast<std::size_t>(name.size()));
    return address;
}

// What the child does, in system calls only: it is forked from a process with
// threads, where nothing else is safe.
namespace child {

int Connect(const sockaddr_un& address)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd >= 0 && ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool Activate(const sockaddr_un& address)
{
    const int fd = Connect(address);
    if (fd < 0)
        return false;
    // A start handing over a file: only files bring the window up.
    static const char kLine[] = "activate\nopen /x/de.ccf\nend\n";
    const bool bSent = ::send(fd, kLine, sizeof kLine - 1, MSG_NOSIGNAL) == static_cast<ssize_t>(sizeof kLine - 1);
    ::close(fd);
    return bSent;
}

void Report(int fd, int value)
{
    while (::write(fd, &value, sizeof value) < 0 && errno == EINTR) {
    }
}

// Whether the other end has closed the connection.
bool ClosedByPeer(int fd)
{
    char c;
    return ::recv(fd, &c, 1, MSG_DONTWAIT) == 0;
}

} // namespace child

constexpr int kMaxSilentPeers = 1000;

// A forked peer: opens `idle` connections that never send a byte and reports
// how many it holds; then, on each command, sends one genuine request ('a'),
// `burst` requests in a row ('b'), or counts the silent connections the
// channel has closed ('c'), reporting the number after each.
class PeerProcess
{
public:
    PeerProcess(const QString& socketPath, int idle, int burst)
    {
        const sockaddr_un address = AddressOf(socketPath);
        int commands[2];
        int reports[2];
        if (::pipe2(commands, O_CLOEXEC) != 0 || ::pipe2(reports, O_CLOEXEC) != 0)
            return;
        m_pid = ::fork();
        if (m_pid == 0) {
            ::close(commands[1]);
            ::close(reports[0]);
            int silent[kMaxSilentPeers];
            int held = 0;
            for (int i = 0; i < idle && held < kMaxSilentPeers; ++i) {
                const int fd = child::Connect(address);
                if (fd >= 0)
                    silent[held++] = fd;
            }
            child::Report(reports[1], held);
            char command;
            while (::read(commands[0], &command, 1) == 1) {
                int count = 0;
                if (command == 'c') {
                    for (int i = 0; i < held; ++i)
                        count += child::ClosedByPeer(silent[i]) ? 1 : 0;
                } else {
                    for (int i = 0; i < (command == 'b' ? burst : 1); ++i)
                        count += child::Activate(address) ? 1 : 0;
                }
                child::Report(reports[1], count);
            }
            ::_exit(0);
        }
        ::close(commands[0]);
        ::close(reports[1]);
        m_commandFd = commands[1];
        m_reportFd = reports[0];
    }
    ~PeerProcess()
    {
        if (m_commandFd >= 0)
            ::close(m_commandFd);
        if (m_reportFd >= 0)
            ::close(m_reportFd);
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
    }
    PeerProcess(const PeerProcess&) = delete;
    PeerProcess& operator=(const PeerProcess&) = delete;

    bool Started() const { return m_pid > 0; }
    void Command(char command) const { ASSERT_EQ(::write(m_commandFd, &command, 1), 1); }
    // The child's next report, while this process keeps its event loop running;
    // -1 when none came in time.
    int NextReport(int timeoutMs) const
    {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < timeoutMs) {
            pollfd ready{m_reportFd, POLLIN, 0};
            if (::poll(&ready, 1, 0) == 1) {
                int value = -1;
                return ::read(m_reportFd, &value, sizeof value) == sizeof value ? value : -1;
            }
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        return -1;
    }

private:
    pid_t m_pid = -1;
    int m_commandFd = -1;
    int m_reportFd = -1;
};

// Lowers this process's descriptor limit for as long as it lives.
class DescriptorLimit
{
public:
    explicit DescriptorLimit(rlim_t limit)
    {
        m_bSet = ::getrlimit(RLIMIT_NOFILE, &m_saved) == 0;
        rlimit lowered = m_saved;
        lowered.rlim_cur = limit;
        m_bSet = m_bSet && ::setrlimit(RLIMIT_NOFILE, &lowered) == 0;
    }
    ~DescriptorLimit()
    {
        if (m_bSet)
            ::setrlimit(RLIMIT_NOFILE, &m_saved);
    }
    DescriptorLimit(const DescriptorLimit&) = delete;
    DescriptorLimit& operator=(const DescriptorLimit&) = delete;
    bool IsSet() const { return m_bSet; }

private:
    rlimit m_saved{};
    bool m_bSet = false;
};

double ThreadCpuSeconds()
{
    rusage usage{};
    ::getrusage(RUSAGE_THREAD, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The share of one core this thread spends over `ms` of running its event
// loop, as the program runs it.
double CpuShareWhileWaiting(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    QElapsedTimer wall;
    const double before = ThreadCpuSeconds();
    wall.start();
    loop.exec();
    return (ThreadCpuSeconds() - before) / (static_cast<double>(wall.nsecsElapsed()) / 1e9);
}

// The lowest descriptor number free in this process: the limit at which it
// can open nothing more.
rlim_t LowestFreeDescriptor()
{
    const int fd = ::dup(0);
    ::close(fd);
    return static_cast<rlim_t>(fd);
}

struct UnderSilentPeers
{
    double cpuShare = 0;      // of one core, while the silent peers wait
    qint64 activationMs = -1; // until a genuine request was heard, -1 for never
};

// 400 silent peers connect while this process may open descriptors only below
// `limit`; then one genuine request comes.
UnderSilentPeers HoldSilentPeers(const PeerProcess& peers, const QSignalSpy& requests, rlim_t limit, int peerCount)
{
    UnderSilentPeers result;
    const DescriptorLimit lowered(limit);
    EXPECT_TRUE(lowered.IsSet());
    EXPECT_EQ(peers.NextReport(10000), peerCount) << "the peers could not all connect";
    QTest::qWait(200); // the channel takes in what is waiting
    result.cpuShare = CpuShareWhileWaiting(1000);

    QElapsedTimer timer;
    timer.start();
    peers.Command('a');
    EXPECT_EQ(peers.NextReport(5000), 1) << "the genuine request could not be sent";
    while (requests.count() == 0 && timer.elapsed() < 2 * ActivationChannel::kIdleLimitMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    if (requests.count() > 0)
        result.activationMs = timer.elapsed();
    return result;
}

constexpr int kSilentPeers = 400;

// A channel listening on a socket in a folder of its own, with a spy on the
// requests it hears.
struct ListeningChannel
{
    QTemporaryDir dir;
    QString socket = dir.filePath("VornalixTuner.lock.socket");
    std::unique_ptr<ActivationChannel> pChannel = std::make_unique<ActivationChannel>(socket);
    bool bListening = dir.isValid() && pChannel->Listen();
    std::unique_ptr<QSignalSpy> pRequests =
        std::make_unique<QSignalSpy>(pChannel.get(), &ActivationChannel::ActivationRequested);

    bool IsReady() const { return bListening; }
};

} // namespace

// 400 peers that connect and never speak, against a program allowed 256
// descriptors, or only a few more than it has open: the channel stays idle
// instead of spinning on a failing accept, lets the silent peers go, and a
// genuine request still gets through at once.
TEST(ActivationChannel, SilentPeersNeitherExhaustNorBlockIt)
{
    for (const bool bFewSpare : {false, true}) {
        SCOPED_TRACE(bFewSpare ? "four descriptors to spare" : "256 descriptors");
        const ListeningChannel listening;
        ASSERT_TRUE(listening.IsReady());
        PeerProcess peers(listening.socket, kSilentPeers, 0);
        ASSERT_TRUE(peers.Started());
        QSignalSpy& requests = *listening.pRequests;

        const rlim_t limit = bFewSpare ? LowestFreeDescriptor() + 4 : 256;
        const UnderSilentPeers held = HoldSilentPeers(peers, requests, limit, kSilentPeers);
        std::cout << "silent peers: " << kSilentPeers << ", descriptor limit " << limit << ", CPU while held "
                  << held.cpuShare * 100 << " %, genuine activation after " << held.activationMs << " ms\n";
        EXPECT_LT(held.cpuShare, 0.10) << "the channel spins while silent peers wait";
        ASSERT_GE(held.activationMs, 0) << "the genuine request was never heard";
        EXPECT_LT(held.activationMs, ActivationChannel::kIdleLimitMs) << "the genuine request waited for silent peers";
        EXPECT_EQ(requests.count(), 1);

        // Every silent peer has been let go by now: the child finds each of its
        // connections closed by the channel.
        QTest::qWait(ActivationChannel::kIdleLimitMs + 500);
        peers.Command('c');
        EXPECT_EQ(peers.NextReport(5000), kSilentPeers);
    }
}

// With no descriptor to spare at all the listener rests rather than spins, and
// hears the request that waited as soon as descriptors are free again.
TEST(ActivationChannel, OutOfDescriptorsTheListenerRests)
{
#if defined(__SANITIZE_ADDRESS__)
    // The sanitizers' runtime opens descriptors of its own (a pipe for each
    // type check it has not seen before): with none to spare it reports
    // errors that are its own, not the channel's.
    GTEST_SKIP() << "no descriptor to spare leaves the sanitizer runtime without the ones it needs";
#endif
    const ListeningChannel listening;
    ASSERT_TRUE(listening.IsReady());
    PeerProcess peers(listening.socket, kSilentPeers, 0);
    ASSERT_TRUE(peers.Started());
    QSignalSpy& requests = *listening.pRequests;

    const UnderSilentPeers held = HoldSilentPeers(peers, requests, LowestFreeDescriptor(), kSilentPeers);
    std::cout << "silent peers: " << kSilentPeers << ", no descriptor to spare, CPU while held " << held.cpuShare * 100
              << " %\n";
    EXPECT_LT(held.cpuShare, 0.10) << "the channel spins on a failing accept";
    EXPECT_EQ(held.activationMs, -1) << "a connection was taken without a descriptor";

    // The limit is back: the waiting queue is taken, the request heard.
    EXPECT_TRUE(requests.wait(5000));
    EXPECT_EQ(requests.count(), 1);
}

// A burst of requests in a row is heard in full, but brings the window to the
// front only a bounded number of times: at once for the first request, then at
// most once per raise interval, and once more after the last request.
TEST(ActivationChannel, BurstOfRequestsRaisesTheWindowABoundedNumberOfTimes)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString socket = dir.filePath("VornalixTuner.lock.socket");
    ActivationChannel channel(socket);
    ASSERT_TRUE(channel.Listen());
    QSignalSpy requests(&channel, &ActivationChannel::ActivationRequested);
    QSignalSpy raises(&channel, &ActivationChannel::RaiseRequested);
    QElapsedTimer clock;
    clock.start();
    qint64 lastRequestMs = -1;
    qint64 lastRaiseMs = -1;
    QObject::connect(&channel, &ActivationChannel::ActivationRequested, [&] { lastRequestMs = clock.elapsed(); });
    QObject::connect(&channel, &ActivationChannel::RaiseRequested, [&] { lastRaiseMs = clock.elapsed(); });

    // A burst as a script's loop of starts makes it; few enough that a busy
    // machine sends them all well within the limits below.
    constexpr int kBurst = 300;
    PeerProcess peers(socket, 0, kBurst);
    ASSERT_TRUE(peers.Started());
    ASSERT_EQ(peers.NextReport(10000), 0);
    const qint64 startMs = clock.elapsed();
    peers.Command('b');
    ASSERT_EQ(peers.NextReport(60000), kBurst) << "not every request could be sent";
    while (requests.count() < kBurst && clock.elapsed() - startMs < 60000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    const qint64 lastHeardMs = clock.elapsed();
    QTest::qWait(ActivationChannel::kRaiseIntervalMs * 2);

    const qint64 burstMs = lastHeardMs - startMs;
    std::cout << kBurst << " requests in " << burstMs << " ms: " << requests.count() << " heard, " << raises.count()
              << " raises\n";
    EXPECT_EQ(requests.count(), kBurst);
    EXPECT_GE(raises.count(), 1);
    EXPECT_LE(raises.count(), 2 + burstMs / ActivationChannel::kRaiseIntervalMs);
    EXPECT_GE(lastRaiseMs, lastRequestMs) << "the last request went unanswered";

    // After a quiet spell the next request raises the window at once: by
    // the time its files are heard, however long the machine took to
    // deliver them, not at the end of an interval.
    QTest::qWait(ActivationChannel::kRaiseIntervalMs * 2);
    const qsizetype before = raises.count();
    qsizetype raisesWhenHeard = -1;
    QObject::connect(&channel, &ActivationChannel::OpenRequested, [&] { raisesWhenHeard = raises.count(); });
    const qint64 askedMs = clock.elapsed();
    peers.Command('a');
    ASSERT_EQ(peers.NextReport(5000), 1);
    while (raisesWhenHeard < 0 && clock.elapsed() - askedMs < 30000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    EXPECT_EQ(raisesWhenHeard, before + 1);
    EXPECT_EQ(raises.count(), before + 1);
}

namespace {

struct ReadRequest
{
    ActivationRequestReader::State state;
    bool bActivated;
    std::vector<std::string> paths;
};

// A request read whole, or a byte at a time: both must read alike.
ReadRequest Read(const std::string& bytes, bool bByteAtATime = false)
{
    ActivationRequestReader reader;
    if (bByteAtATime) {
        for (const char c : bytes)
            reader.Take(std::string_view(&c, 1));
    } else {
        reader.Take(bytes);
    }
    reader.End();
    return {reader.Status(), reader.Activated(), reader.Paths()};
}

} // namespace

// Paths with spaces, newlines, percent signs and letters beyond ASCII travel as
// lines of printable ASCII and arrive as they were sent, in order.
TEST(ActivationMessage, PathsArriveAsSentInLinesOfPrintableAscii)
{
    EXPECT_EQ(ActivationRequest({}), "activate\n"); // a start without files, as ever
    const std::vector<std::string> paths{"/home/ana/Kanäle 2024/de.ccf", "/tmp/two\nlines%20.tsf",
                                         "/tmp/\xE6\x97\xA5\xE6\x9C\xAC.cft", "/a"};
    const std::string request = ActivationRequest(paths);
    EXPECT_EQ(request.rfind("activate\nopen /home/ana/Kan%C3%A4le%202024/de.ccf\nopen /tmp/two%0Alines%2520.tsf\n", 0),
              0u)
        << request;
    for (const char c : request)
        EXPECT_TRUE(c == '\n' || (c >= 0x20 && c < 0x7F)) << static_cast<int>(c);
    for (const bool bByteAtATime : {false, true}) {
        const ReadRequest read = Read(request, bByteAtATime);
        EXPECT_EQ(read.state, ActivationRequestReader::State::Finished);
        EXPECT_TRUE(read.bActivated);
        EXPECT_EQ(read.paths, paths);
    }
    // Without files the first line is the whole request.
    const ReadRequest plain = Read("activate\n");
    EXPECT_EQ(plain.state, ActivationRequestReader::State::Finished);
    EXPECT_TRUE(plain.bActivated);
    EXPECT_TRUE(plain.paths.empty());
}

// The sender leaves out what a request may not carry, and stops at its bounds.
TEST(ActivationMessage, SenderKeepsToTheBounds)
{
    EXPECT_EQ(Read(ActivationRequest({"relative.ccf", "/ok.ccf", std::string("/nul\0.ccf", 9), "/bad\xFF.ccf"})).paths,
              std::vector<std::string>{"/ok.ccf"});
    std::vector<std::string> many;
    for (int i = 0; i < 20; ++i)
        many.push_back("/t/" + std::to_string(i) + ".ccf");
    const std::vector<std::string> first(many.begin(), many.begin() + activation::kMaxPaths);
    EXPECT_EQ(Read(ActivationRequest(many)).paths, first);

    // The longest paths, of a two-byte letter that takes six bytes escaped:
    // as many as fit.
    std::string letters;
    for (std::size_t i = 0; i < (activation::kMaxPathBytes - 1) / 2; ++i)
        letters += "\xC3\xA4";
    const std::vector<std::string> longPaths(8, "/" + letters);
    ASSERT_EQ(longPaths.front().size(), activation::kMaxPathBytes);
    const std::string request = ActivationRequest(longPaths);
    EXPECT_LE(request.size(), activation::kMaxRequestBytes);
    const ReadRequest read = Read(request);
    EXPECT_EQ(read.state, ActivationRequestReader::State::Finished);
    EXPECT_EQ(read.paths.size(), 5u); // each line takes about 12 KiB of the 64
    EXPECT_EQ(read.paths.front(), longPaths.front());
    EXPECT_TRUE(IsSendablePath(std::string(activation::kMaxPathBytes, '/')));
    EXPECT_FALSE(IsSendablePath(std::string(activation::kMaxPathBytes + 1, '/')));
}

// A hostile peer's requests: one bad line refuses every file of the request.
TEST(ActivationMessage, MalformedRequestsOpenNothing)
{
    using State = ActivationRequestReader::State;
    const std::string tooLong = "/" + std::string(activation::kMaxPathBytes, 'x');
    std::string tooMany = "activate\n";
    for (std::size_t i = 0; i <= activation::kMaxPaths; ++i)
        tooMany += "open /" + std::to_string(i) + "\n";
    tooMany += "end\n";
    const struct
    {
        std::string bytes;
        bool bActivated;
    } cases[] = {
        {"open /a.ccf\nend\n", false},                 // no "activate" first
        {"activate now\nopen /a.ccf\nend\n", false},   // nor anything like it
        {"activate\nopen a.ccf\nend\n", true},         // relative
        {"activate\nopen \nend\n", true},              // empty
        {"activate\nopen /a%00.ccf\nend\n", true},     // NUL
        {"activate\nopen /a%FF.ccf\nend\n", true},     // not UTF-8
        {"activate\nopen /%C0%AF\nend\n", true},       // an overlong form
        {"activate\nopen /%ED%A0%80\nend\n", true},    // a surrogate
        {"activate\nopen /%F4%90%80%80\nend\n", true}, // past U+10FFFF
        {"activate\nopen /a%4\nend\n", true},          // a cut escape
        {"activate\nopen /a%G0\nend\n", true},         // not hex
        {"activate\nopen /a b\nend\n", true},          // a space not escaped
        {"activate\nopen /a\x01\nend\n", true},        // a control byte not escaped
        {"activate\nopen /\xC3\xA4\nend\n", true},     // a byte beyond ASCII not escaped
        {"activate\nopen /a.ccf\r\nend\n", true},      // a carriage return
        {"activate\nopen " + tooLong + "\nend\n", true},
        {tooMany, true},
        {"activate\nopen /a.ccf\nhello\nend\n", true},                         // an unknown line
        {"activate\nopen /a.ccf\n", true},                                     // cut off before "end"
        {"activate\nopen /a.ccf\nend", true},                                  // "end" cut off
        {"activate\nopen /a.ccf\nop", true},                                   // a line cut off
        {"activate\n" + std::string(activation::kMaxRequestBytes, 'o'), true}, // endless
        {"", false},
    };
    for (const auto& c : cases) {
        for (const bool bByteAtATime : {false, true}) {
            const ReadRequest read = Read(c.bytes, bByteAtATime);
            const std::string shown = c.bytes.substr(0, 60);
            EXPECT_EQ(read.state, State::Refused) << shown;
            EXPECT_EQ(read.bActivated, c.bActivated) << shown;
            EXPECT_TRUE(read.paths.empty()) << shown;
        }
    }
    // Once refused, nothing more is taken.
    ActivationRequestReader reader;
    reader.Take("activate\nopen x\nactivate\nopen /a.ccf\nend\n");
    EXPECT_EQ(reader.Status(), State::Refused);
    EXPECT_TRUE(reader.Paths().empty());
}

namespace {

// Sends these bytes to the socket and ends the stream.
bool SendRaw(const QString& socket, const std::string& bytes)
{
    const sockaddr_un address = AddressOf(socket);
    const int fd = child::Connect(address);
    if (fd < 0)
        return false;
    const bool bSent = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size());
    ::close(fd);
    return bSent;
}

} // namespace

// Over the socket: a relative path is made absolute by the sender, a
// malformed request opens nothing, and the listener goes on serving.
TEST(ActivationChannel, FilesOfASecondStartReachTheRunningInstance)
{
    const ListeningChannel listening;
    ASSERT_TRUE(listening.IsReady());
    QSignalSpy opens(listening.pChannel.get(), &ActivationChannel::OpenRequested);
    QSignalSpy raises(listening.pChannel.get(), &ActivationChannel::RaiseRequested);
    QSignalSpy& requests = *listening.pRequests;

    ASSERT_TRUE(SendRaw(listening.socket, "activate\nopen /a.ccf\nopen b.ccf\nend\n"));
    ASSERT_TRUE(requests.wait(5000));
    QTest::qWait(100);
    EXPECT_EQ(opens.count(), 0); // a relative path refuses the request's files
    EXPECT_EQ(raises.count(), 0);

    ASSERT_TRUE(ActivationChannel::NotifyRunningInstance(listening.socket, {"/x/de.ccf", "tuners.tsf", "../old.cft"}));
    ASSERT_TRUE(opens.wait(5000));
    ASSERT_EQ(opens.count(), 1);
    const QDir here = QDir::current();
    EXPECT_EQ(opens.at(0).at(0).toStringList(),
              (QStringList{"/x/de.ccf", here.path() + "/tuners.tsf", here.path() + "/../old.cft"}));
    EXPECT_EQ(requests.count(), 2);
    EXPECT_EQ(raises.count(), 1);

    // A start without files is heard, opens nothing and raises nothing.
    QTest::qWait(ActivationChannel::kRaiseIntervalMs * 2);
    ASSERT_TRUE(ActivationChannel::NotifyRunningInstance(listening.socket));
    for (int i = 0; i < 100 && requests.count() < 3; ++i)
        requests.wait(50);
    EXPECT_EQ(requests.count(), 3);
    QTest::qWait(100);
    EXPECT_EQ(opens.count(), 1);
    EXPECT_EQ(raises.count(), 1);
}
