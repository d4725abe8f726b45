#pragma once
#include <string>

class CUi;
class CMessagePump;

// The scope of every node command: main window disabled and the text in the
// status bar while it lives; "ﾚﾃﾞｨ" and the window enabled again when it ends.
class CBusyScope {
public:
    CBusyScope(CUi& ui, CMessagePump& pump, const std::string& strText);
    ~CBusyScope();
    CBusyScope(const CBusyScope&) = delete;
    CBusyScope& operator=(const CBusyScope&) = delete;

private:
    CUi& m_ui;
};

// The wait cursor while it lives.
class CWaitCursorScope {
public:
    explicit CWaitCursorScope(CUi& ui);
    ~CWaitCursorScope();
    CWaitCursorScope(const CWaitCursorScope&) = delete;
    CWaitCursorScope& operator=(const CWaitCursorScope&) = delete;

private:
    CUi& m_ui;
};
