#include "ui/BusyScope.h"

#include "platform/MessagePump.h"
#include "res/Texts.h"
#include "ui/Ui.h"

CBusyScope::CBusyScope(CUi& ui, CMessagePump& pump, const std::string& strText) : m_ui(ui) {
    m_ui.EnableMainWindow(false);
    m_ui.SetStatusText(strText);
    // Let the text show at once.
    pump.PumpPendingMessages();
}

CBusyScope::~CBusyScope() {
    m_ui.SetStatusText(TXT_STATUS_READY);
    m_ui.EnableMainWindow(true);
}

CWaitCursorScope::CWaitCursorScope(CUi& ui) : m_ui(ui) {
    m_ui.BeginWaitCursor();
}

CWaitCursorScope::~CWaitCursorScope() {
    m_ui.EndWaitCursor();
}
