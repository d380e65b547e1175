#pragma once
// How a second start reaches the running instance: the running one listens on a
// local socket named after the single-instance token; a second start sends one
// line there and ends, and the running instance brings its window to the front.
//
// Plain Unix-domain sockets watched by Qt's event loop: Qt's own local sockets
// live in its network module, whose libraries (Kerberos, proxy support and
// more) would add milliseconds to every start for one line of text.

#include <memory>
#include <vector>

#include <QByteArray>
#include <QObject>
#include <QString>

class QSocketNotifier;

class ActivationChannel : public QObject
{
    Q_OBJECT

public:
    explicit ActivationChannel(const QString& socketPath, QObject* pParent = nullptr);
    ~ActivationChannel() override;
    ActivationChannel(const ActivationChannel&) = delete;
    ActivationChannel& operator=(const ActivationChannel&) = delete;

    // Starts listening; a socket left behind by a crashed instance is replaced.
    bool Listen();
    // Asks the instance listening on socketPath to come to the front.
    static bool NotifyRunningInstance(const QString& socketPath, int timeoutMs = 2000);
    // Raises the dialog on top (the innermost modal one), as the request asks.
    static void BringToFront();

signals:
    void ActivationRequested();

private:
    struct Connection;

    void OnNewConnection();
    void OnReadable(Connection* pConnection);
    void Close(Connection* pConnection);

    QString m_socketPath;
    int m_listenFd = -1;
    QSocketNotifier* m_pListenNotifier = nullptr;
    std::vector<std::unique_ptr<Connection>> m_connections;
};
