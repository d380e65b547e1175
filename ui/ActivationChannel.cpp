#include "ActivationChannel.h"

#include <QApplication>
#include <QLocalServer>
#include <QLocalSocket>
#include <QWidget>

namespace {

const QByteArray kActivate = QByteArrayLiteral("activate\n");

} // namespace

ActivationChannel::ActivationChannel(const QString& socketPath, QObject* pParent)
    : QObject(pParent), m_socketPath(socketPath), m_pServer(new QLocalServer(this))
{
    m_pServer->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_pServer, &QLocalServer::newConnection, this, &ActivationChannel::OnNewConnection);
}

ActivationChannel::~ActivationChannel() = default;

bool ActivationChannel::Listen()
{
    // Only the holder of the single-instance token listens, so whatever socket
    // is there is a leftover.
    QLocalServer::removeServer(m_socketPath);
    return m_pServer->listen(m_socketPath);
}

void ActivationChannel::OnNewConnection()
{
    while (QLocalSocket* pSocket = m_pServer->nextPendingConnection()) {
        connect(pSocket, &QLocalSocket::disconnected, pSocket, &QObject::deleteLater);
        connect(pSocket, &QLocalSocket::readyRead, this, [this, pSocket] {
            if (pSocket->canReadLine() && pSocket->readLine() == kActivate)
                emit ActivationRequested();
            pSocket->disconnectFromServer();
        });
    }
}

bool ActivationChannel::NotifyRunningInstance(const QString& socketPath, int timeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    socket.write(kActivate);
    const bool bSent = socket.waitForBytesWritten(timeoutMs);
    socket.disconnectFromServer();
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
