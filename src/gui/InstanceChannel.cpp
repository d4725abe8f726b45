#include "gui/InstanceChannel.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>
#include <QWidget>

namespace {
// One line each way.
constexpr char INSTANCE_REQUEST[] = "FORWARD\n";
constexpr char INSTANCE_ANSWER[] = "DONE\n";
// A request longer than this is not ours.
constexpr qint64 INSTANCE_MAX_LINE = 64;
// Between connection attempts while the running copy starts up.
constexpr unsigned long INSTANCE_RETRY_MS = 20;
} // namespace

CInstanceServer::CInstanceServer(std::function<void()> fnComeForward, QObject* pParent)
    : QObject(pParent), m_fnComeForward(std::move(fnComeForward)),
      m_pServer(new QLocalServer(this)) {
    m_pServer->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_pServer, &QLocalServer::newConnection, this, [this] { OnNewConnection(); });
}

CInstanceServer::~CInstanceServer() = default;

bool CInstanceServer::Listen(const QString& strPath) {
    QLocalServer::removeServer(strPath);
    return m_pServer->listen(strPath);
}

void CInstanceServer::OnNewConnection() {
    while (QLocalSocket* pSocket = m_pServer->nextPendingConnection()) {
        connect(pSocket, &QLocalSocket::disconnected, pSocket, &QObject::deleteLater);
        connect(pSocket, &QLocalSocket::readyRead, this, [this, pSocket] {
            if (!pSocket->canReadLine()) {
                if (pSocket->bytesAvailable() > INSTANCE_MAX_LINE) {
                    pSocket->abort();
                }
                return;
            }
            QByteArray line = pSocket->readLine(INSTANCE_MAX_LINE);
            if (line != INSTANCE_REQUEST) {
                pSocket->abort();
                return;
            }
            if (m_fnComeForward) {
                m_fnComeForward();
            }
            pSocket->write(INSTANCE_ANSWER);
            pSocket->flush();
            pSocket->disconnectFromServer();
        });
    }
}

bool AskRunningCopyToComeForward(const QString& strPath, int nConnectMs, int nAnswerMs) {
    QLocalSocket socket;
    QDeadlineTimer connectDeadline(nConnectMs);
    for (;;) {
        socket.connectToServer(strPath);
        if (socket.waitForConnected(nConnectMs)) {
            break;
        }
        if (connectDeadline.hasExpired()) {
            return false;
        }
        // Refused or not there yet: the running copy may be starting.
        socket.abort();
        QThread::msleep(INSTANCE_RETRY_MS);
    }
    socket.write(INSTANCE_REQUEST);
    if (!socket.waitForBytesWritten(nAnswerMs)) {
        return false;
    }
    QDeadlineTimer answerDeadline(nAnswerMs);
    while (!socket.canReadLine()) {
        if (answerDeadline.hasExpired() ||
            !socket.waitForReadyRead(static_cast<int>(answerDeadline.remainingTime()))) {
            return false;
        }
    }
    return socket.readLine(INSTANCE_MAX_LINE) == INSTANCE_ANSWER;
}

void BringWindowForward(QWidget* pMainWindow) {
    if (pMainWindow == nullptr) {
        return;
    }
    // Still starting (a message before the window opens): only that message.
    if (pMainWindow->isVisible() || pMainWindow->isMinimized()) {
        if (pMainWindow->isMinimized()) {
            pMainWindow->showNormal();
        }
        pMainWindow->raise();
    }
    // The window that takes the input: the innermost modal one, else the main window.
    QWidget* pTarget = QApplication::activeModalWidget();
    if (pTarget == nullptr) {
        pTarget = pMainWindow;
    }
    if (!pTarget->isVisible() && !pTarget->isMinimized()) {
        return;
    }
    if (pTarget->isMinimized()) {
        pTarget->showNormal();
    }
    pTarget->raise();
    pTarget->activateWindow();
}
