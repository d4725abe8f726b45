#pragma once
#include "gui/MainFrame.h"
#include "gui/QtMessagePump.h"
#include "gui/QtUi.h"
#include "platform/PumpClock.h"

#include <memory>
#include <string>

class CDatagramSocket;
class COperationLog;
class COrvixApp;
class COrvixDoc;

// One run of the manager without the process around it: the pump, the main
// window, the UI and the document. The document goes first when the session
// ends, so it saves its data file while the window still exists.
class CManagerSession {
public:
    explicit CManagerSession(COrvixApp& app);
    ~CManagerSession();
    CManagerSession(const CManagerSession&) = delete;
    CManagerSession& operator=(const CManagerSession&) = delete;

    // Creates the document on strDataPath (loaded when it exists, saved at the
    // end) and shows its contents in the window.
    COrvixDoc& OpenDocument(const std::string& strDataPath,
                            std::unique_ptr<CDatagramSocket> pSocket);

    // Broadcasts leave through every interface of the PC, or the one chosen
    // in the per-user settings, where a new choice is kept too.
    void UseSystemInterfaces();

    CMainFrame& GetFrame() { return m_frame; }
    CQtUi& GetUi() { return m_ui; }
    CQtMessagePump& GetPump() { return m_pump; }
    COrvixDoc* GetDoc() { return m_pDoc.get(); }

private:
    COrvixApp& m_app;
    CQtMessagePump m_pump;
    // Fixed pauses keep the windows painting, as the waits do.
    CPumpClock m_clock{m_pump};
    CMainFrame m_frame;
    CQtUi m_ui;
    // The user's operation log; none without a per-user folder.
    std::unique_ptr<COperationLog> m_pLog;
    std::unique_ptr<COrvixDoc> m_pDoc;
};
