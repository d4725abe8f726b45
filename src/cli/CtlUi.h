#pragma once
// The UI of mrvctl: nobody sits at it. Every dialog an operation opens is
// answered by the command from its options; a dialog or question that no
// option answers is refused at once with a clear error, so a script never
// hangs. Messages are the system's own texts; each one is kept with the exit
// status it stands for.
#include "ui/DialogModel.h"
#include "ui/Ui.h"

#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <vector>

class CCtlUi : public CUi {
public:
    // Answers one opening of the dialog: returns its end result.
    using FnAnswer = std::function<int(CDialogModel&)>;

    struct SMessage {
        std::string strText; // UTF-8
        int nExit = 0;       // CTL_EXIT_*; 0 for a notice
    };

    // pErr: where messages and progress go as they come (nullptr: kept only).
    explicit CCtlUi(std::FILE* pErr = nullptr) : m_pErr(pErr) {}

    // The answer to every opening of dialogs of that name from now on.
    void Answer(const std::string& strDialog, FnAnswer fn) {
        m_mapAnswers[strDialog] = std::move(fn);
    }
    void Forget(const std::string& strDialog) { m_mapAnswers.erase(strDialog); }
    void SetYes(bool bYes) { m_bYes = bYes; }
    // The answer to a question of exactly this text, before --yes is looked at.
    void AnswerQuestion(const std::string& strText, std::function<EMsgAnswer()> fn) {
        m_mapQuestions[strText] = std::move(fn);
    }
    // The path the file choice answers with; empty: the choice is unanswered.
    void SetFileChoice(std::string strPath) { m_strFileChoice = std::move(strPath); }
    // Status texts go to the error stream as progress.
    void SetProgress(bool bProgress) { m_bProgress = bProgress; }
    // Only failures reach the error stream; notices are kept, not shown.
    void SetQuiet(bool bQuiet) { m_bQuiet = bQuiet; }
    bool IsProgressOn() const { return m_bProgress; }
    // With progress on: a line of progress, or (bLive) the one line that stays
    // below all others and is written over as it changes; an empty live line
    // takes it away.
    void ShowProgress(const std::string& strLine, bool bLive);
    // What a warning that names no known failure means during the command.
    void SetOtherFailure(int nExit) { m_nOtherFailure = nExit; }
    // The endpoint need not be had (a command that sends nothing).
    void SetOffline(bool bOffline) { m_bOffline = bOffline; }

    // Records a failure (or, with CTL_EXIT_OK, a notice) and shows it.
    void Report(int nExit, const std::string& strText);
    // The first failure's status, or CTL_EXIT_OK.
    int GetExit() const;
    // The status of the first failure reported after message nFrom.
    int GetExitSince(size_t nFrom) const;
    const std::vector<SMessage>& GetMessages() const { return m_vecMessages; }

    // Operator steps for the answers. Enter puts a value into a control as
    // typed (UTF-8 text into an edit, an item number into a list); false with
    // a bad-input failure when the control cannot take it.
    bool Enter(CDialogModel& dlg, int nId, const std::string& strValue);
    void Tick(CDialogModel& dlg, int nId, bool bOn);
    // A button that leaves the dialog open; false after a failed check.
    bool Click(CDialogModel& dlg, int nId);
    // A button that ends the dialog: its end result, or DIALOG_CANCEL after a
    // failed check (reported as bad input with the dialog's message).
    int Close(CDialogModel& dlg, int nId);

    // CUi
    EMsgAnswer MessageBox(const std::string& strText, EMsgButtons buttons, EMsgIcon icon,
                          const std::string& strCaption) override;
    int DoModal(CDialogModel& dialog) override;
    void OpenModeless(CDialogModel& dialog) override;
    void RefreshModeless(CDialogModel& dialog) override;
    void CloseModeless(CDialogModel& dialog) override;
    bool ChooseFileToOpen(const SFileChoice& choice, std::string& strPath) override;
    bool OpenWithDesktop(const std::string& strPath) override;
    // A notice: said on the error stream and kept with status 0.
    void ShowNotice(const std::string& strText) override { Report(0, strText); }
    void SetStatusText(const std::string& strText) override;
    void EnableMainWindow(bool bEnable) override;
    void BeginWaitCursor() override;
    void RestoreWaitCursor() override;
    void EndWaitCursor() override;
    void UpdateAllViews() override;

    // What a warning text stands for.
    int ClassifyWarning(const std::string& strText) const;

private:
    // A line to the error stream, below which the live line stays.
    void PrintLine(const std::string& strLine);

    std::FILE* m_pErr;
    std::string m_strLive; // the live line shown now
    std::map<std::string, FnAnswer> m_mapAnswers;
    std::map<std::string, std::function<EMsgAnswer()>> m_mapQuestions;
    std::vector<SMessage> m_vecMessages;
    std::string m_strFileChoice;
    bool m_bYes = false;
    bool m_bProgress = false;
    bool m_bQuiet = false;
    bool m_bOffline = false;
    int m_nOtherFailure = 1;
};
