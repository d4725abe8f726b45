#pragma once
#include "ui/DialogModel.h"
#include "ui/Ui.h"

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

// A UI for tests: records every message box and status text in order and
// answers from queues.
class CScriptedUi : public CUi {
public:
    struct SMessage {
        std::string strText;
        std::string strCaption;
        EMsgButtons buttons;
        EMsgIcon icon;
    };
    // Answers a dialog: may set its controls and call its handlers; returns the end result.
    using DialogScript = std::function<int(CDialogModel&)>;

    EMsgAnswer MessageBox(const std::string& strText, EMsgButtons buttons, EMsgIcon icon,
                          const std::string& strCaption) override;
    int DoModal(CDialogModel& dialog) override;
    void OpenModeless(CDialogModel& dialog) override { m_vecModeless.push_back(dialog.GetDialogName()); }
    void RefreshModeless(CDialogModel&) override { ++m_nModelessRefreshes; }
    void CloseModeless(CDialogModel&) override { ++m_nModelessClosed; }
    bool ChooseFileToOpen(const SFileChoice&, std::string&) override { return false; }
    bool OpenWithDesktop(const std::string& strPath) override {
        m_vecOpened.push_back(strPath);
        return true;
    }
    void SetStatusText(const std::string& strText) override { m_vecStatus.push_back(strText); }
    void EnableMainWindow(bool bEnable) override { m_vecEnable.push_back(bEnable); }
    void BeginWaitCursor() override { ++m_nWaitCursorDepth; }
    void RestoreWaitCursor() override {}
    void EndWaitCursor() override { --m_nWaitCursorDepth; }
    void UpdateAllViews() override { ++m_nViewUpdates; }

    // Queued answers; when a queue is empty a box gets its first button's answer.
    void QueueAnswer(EMsgAnswer answer) { m_queueAnswers.push_back(answer); }
    // Scripts for the named dialog, used in order; an unscripted dialog is cancelled.
    void QueueDialog(const std::string& strName, DialogScript script) {
        m_mapDialogs[strName].push_back(std::move(script));
    }
    // Runs once whenever a message box shows (after it is recorded).
    void SetOnMessage(std::function<void(const SMessage&)> fn) { m_fnOnMessage = std::move(fn); }

    std::vector<std::string> MessageTexts() const;

    std::vector<SMessage> m_vecMessages;
    std::vector<std::string> m_vecStatus;
    std::vector<bool> m_vecEnable;
    std::vector<std::string> m_vecDialogs; // names, in the order they were shown
    std::vector<std::string> m_vecModeless;
    int m_nModelessRefreshes = 0;
    int m_nModelessClosed = 0;
    std::vector<std::string> m_vecOpened;
    int m_nWaitCursorDepth = 0;
    int m_nViewUpdates = 0;

private:
    std::deque<EMsgAnswer> m_queueAnswers;
    std::map<std::string, std::deque<DialogScript>> m_mapDialogs;
    std::function<void(const SMessage&)> m_fnOnMessage;
};
