#pragma once
#include <QObject>
#include <QString>

#include <functional>

class QLocalServer;
class QWidget;

// The local socket of the running copy: a second start connects, asks the
// running copy to come forward and waits for its answer.
class CInstanceServer : public QObject {
public:
    // fnComeForward brings the window forward; it runs on the GUI thread.
    explicit CInstanceServer(std::function<void()> fnComeForward, QObject* pParent = nullptr);
    ~CInstanceServer() override;
    CInstanceServer(const CInstanceServer&) = delete;
    CInstanceServer& operator=(const CInstanceServer&) = delete;

    // Listens at strPath; a socket file left there by an ended copy is removed
    // first (the caller holds the single-instance lock, so nobody else uses it).
    bool Listen(const QString& strPath);

private:
    void OnNewConnection();

    std::function<void()> m_fnComeForward;
    QLocalServer* m_pServer;
};

// Asks the copy listening at strPath to come forward: true when it answered
// that it did. Tries to connect for up to nConnectMs (a copy that is starting
// may not listen yet), then waits up to nAnswerMs for the answer.
bool AskRunningCopyToComeForward(const QString& strPath, int nConnectMs, int nAnswerMs);

// Brings the main window forward: restored first when minimised, raised, and
// the window that takes the input activated, which is the active modal dialog
// when one is open (restored first when it is minimised itself).
void BringWindowForward(QWidget* pMainWindow);
