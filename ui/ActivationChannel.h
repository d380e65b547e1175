#pragma once
// How a second start reaches the running instance: the running one listens on a
// local socket named after the single-instance token; a second start sends one
// line there and ends, and the running instance brings its window to the front.

#include <QObject>
#include <QString>

class QLocalServer;

class ActivationChannel : public QObject
{
    Q_OBJECT

public:
    explicit ActivationChannel(const QString& socketPath, QObject* pParent = nullptr);
    ~ActivationChannel() override;

    // Starts listening; a socket left behind by a crashed instance is replaced.
    bool Listen();
    // Asks the instance listening on socketPath to come to the front.
    static bool NotifyRunningInstance(const QString& socketPath, int timeoutMs = 2000);
    // Raises the dialog on top (the innermost modal one), as the request asks.
    static void BringToFront();

signals:
    void ActivationRequested();

private:
    void OnNewConnection();

    QString m_socketPath;
    QLocalServer* m_pServer;
};
