#pragma once
// How a second start reaches the running instance: the running one listens on a
// local socket named after the single-instance token; a second start sends its
// request there (ActivationMessage.h: come to the front, and the files named
// on its command line) and ends, and the running instance brings its window
// to the front and opens the files.
//
// Plain Unix-domain sockets watched by Qt's event loop: Qt's own local sockets
// live in its network module, whose libraries (Kerberos, proxy support and
// more) would add milliseconds to every start for one line of text.
//
// A second start sends its request as soon as it is connected, so a peer that
// stays silent is not one: it is let go after a short time, and only a few
// peers are served at once, the oldest giving way to a newcomer. Running out
// of descriptors never makes the listener spin: it lets a peer go or waits.

#include <cstddef>
#include <deque>
#include <memory>

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QStringList>

#include "platform/ActivationMessage.h"

class QSocketNotifier;
class QTimer;

class ActivationChannel : public QObject
{
    Q_OBJECT

public:
    // How long a peer may stay connected without sending its whole request.
    static constexpr int kIdleLimitMs = 1000;
    // Peers served at once.
    static constexpr std::size_t kMaxPeers = 16;
    // Connections taken in one turn of the event loop, so that a flood of them
    // leaves room for everything else.
    static constexpr int kAcceptsPerTurn = 64;
    // How long the listener rests when no descriptor is to be had.
    static constexpr int kAcceptPauseMs = 100;
    // The window comes to the front at most once in this time.
    static constexpr int kRaiseIntervalMs = 250;

    explicit ActivationChannel(const QString& socketPath, QObject* pParent = nullptr);
    ~ActivationChannel() override;
    ActivationChannel(const ActivationChannel&) = delete;
    ActivationChannel& operator=(const ActivationChannel&) = delete;

    // Starts listening; a socket left behind by a crashed instance is replaced.
    bool Listen();
    // Asks the instance listening on socketPath to come to the front.
    static bool NotifyRunningInstance(const QString& socketPath, int timeoutMs = 2000);
    // ...and to open these files; a relative path is taken from this
    // process's working folder, since the running instance has its own.
    static bool NotifyRunningInstance(const QString& socketPath, const QStringList& files, int timeoutMs = 2000);
    // Raises the dialog on top (the innermost modal one), as files handed over ask.
    static void BringToFront();

signals:
    // Every request heard, as soon as its first line is in; a start without
    // files says no more.
    void ActivationRequested();
    // The files of a whole, well-formed request that names any: absolute
    // paths, in the order given.
    void OpenRequested(const QStringList& files);
    // The window is to come to the front for files handed over: at once for
    // a request after a quiet spell, then at most once per kRaiseIntervalMs
    // for all the requests heard meanwhile, the last of them included.
    void RaiseRequested();

private:
    struct Connection;

    void OnNewConnection();
    bool AcceptOne();
    void OnReadable(Connection* pConnection);
    void Close(Connection* pConnection);
    void CloseExpired();
    void ScheduleExpiry();
    void PauseAccepting();
    void OnActivation();
    void OnRaiseIntervalOver();

    QString m_socketPath;
    int m_listenFd = -1;
    QSocketNotifier* m_pListenNotifier = nullptr;
    // Oldest first: the order in which they reach the idle limit.
    std::deque<std::unique_ptr<Connection>> m_connections;
    QElapsedTimer m_clock;
    QTimer* m_pExpiryTimer = nullptr;
    QTimer* m_pResumeTimer = nullptr;
    QTimer* m_pRaiseTimer = nullptr;
    bool m_bRaisePending = false;
};
