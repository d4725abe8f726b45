#pragma once
#include "ui/DialogModel.h"
#include "ui/Ui.h"

#include <gmock/gmock.h>

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

// A strict UI for tests. Every message box, modal dialog and file-open choice
// must have been expected, in order, with what the operator answers; anything
// else fails the running test (and gets a harmless answer, so the code under
// test can go on). Everything shown is recorded as well, for assertions after
// the fact. Expectations left over at the end fail the test too: call
// VerifyAllConsumed from TearDown, or let the destructor do it.
class CScriptedUi : public CUi {
public:
    struct SMessage {
        std::string strText;
        std::string strCaption;
        EMsgButtons buttons;
        EMsgIcon icon;
    };
    // Plays the operator in a dialog (see Press, Type... below); returns the end result.
    using DialogScript = std::function<int(CDialogModel&, CUi&)>;
    // Looks at a modeless window's model when it opens and at every refresh.
    using ModelessWatcher = std::function<void(const CDialogModel&)>;

    // One expected message box; the optional checks chain:
    //   ui.ExpectMessage("...", EMsgAnswer::No).WithButtons(EMsgButtons::YesNo);
    struct SExpectedMessage {
        testing::Matcher<const std::string&> text;
        std::string strDescription; // names the box in failures
        EMsgAnswer answer = EMsgAnswer::Ok;
        std::optional<EMsgButtons> buttons;
        std::optional<EMsgIcon> icon;
        std::function<void()> fnWhenShown;

        SExpectedMessage& WithButtons(EMsgButtons eButtons) {
            buttons = eButtons;
            return *this;
        }
        SExpectedMessage& WithIcon(EMsgIcon eIcon) {
            icon = eIcon;
            return *this;
        }
        // Runs while the box is up, before it is answered.
        SExpectedMessage& WhenShown(std::function<void()> fn) {
            fnWhenShown = std::move(fn);
            return *this;
        }
    };

    struct SModelessEvent {
        enum EKind { Open, Refresh, Close } eKind;
        std::string strName;
        bool operator==(const SModelessEvent&) const = default;
    };

    CScriptedUi() = default;
    ~CScriptedUi() override { VerifyAllConsumed(); }
    CScriptedUi(const CScriptedUi&) = delete;
    CScriptedUi& operator=(const CScriptedUi&) = delete;

    // The next message box shows exactly this text; the operator answers with answer.
    SExpectedMessage& ExpectMessage(const std::string& strText, EMsgAnswer answer = EMsgAnswer::Ok);
    // The next message box's text satisfies the matcher (a text with a run-time part).
    SExpectedMessage& ExpectMessageThat(testing::Matcher<const std::string&> matcher,
                                        EMsgAnswer answer = EMsgAnswer::Ok);
    // The next modal dialog is this one; the script plays the operator.
    void ExpectDialog(const std::string& strName, DialogScript script);
    // The next file-open choice: the operator picks this path, or cancels.
    void ExpectFileChoice(const std::string& strPath);
    void ExpectFileChoiceCancelled();
    // Calls fn with the model of the named modeless window when it opens and at every refresh.
    void WatchModeless(const std::string& strName, ModelessWatcher fn) {
        m_mapWatchers[strName] = std::move(fn);
    }
    // What OpenWithDesktop reports from now on.
    void SetDesktopOpens(bool bOpens) { m_bDesktopOpens = bOpens; }

    // Fails the test for every expectation not met yet and for every modeless
    // window still open, then forgets them.
    void VerifyAllConsumed();

    EMsgAnswer MessageBox(const std::string& strText, EMsgButtons buttons, EMsgIcon icon,
                          const std::string& strCaption) override;
    int DoModal(CDialogModel& dialog) override;
    void OpenModeless(CDialogModel& dialog) override;
    void RefreshModeless(CDialogModel& dialog) override;
    void CloseModeless(CDialogModel& dialog) override;
    bool ChooseFileToOpen(const SFileChoice& choice, std::string& strPath) override;
    bool OpenWithDesktop(const std::string& strPath) override {
        m_vecOpened.push_back(strPath);
        return m_bDesktopOpens;
    }
    void ShowNotice(const std::string& strText) override { m_vecNotices.push_back(strText); }
    void SetStatusText(const std::string& strText) override { m_vecStatus.push_back(strText); }
    void SetSearchCounts(const std::string& strText) override { m_vecCounts.push_back(strText); }
    void EnableMainWindow(bool bEnable) override { m_vecEnable.push_back(bEnable); }
    void BeginWaitCursor() override { ++m_nWaitCursorDepth; }
    void RestoreWaitCursor() override {}
    void EndWaitCursor() override { --m_nWaitCursorDepth; }
    void UpdateAllViews() override { ++m_nViewUpdates; }

    std::vector<std::string> MessageTexts() const;

    // Everything shown, expected or not, in order.
    std::vector<SMessage> m_vecMessages;
    std::vector<std::string> m_vecStatus;
    std::vector<std::string> m_vecNotices;
    std::vector<std::string> m_vecCounts; // the search counts pane
    std::vector<bool> m_vecEnable;
    std::vector<std::string> m_vecDialogs; // modal dialogs by name
    std::vector<SModelessEvent> m_vecModeless;
    std::vector<SFileChoice> m_vecFileChoices;
    std::vector<std::string> m_vecOpened; // paths given to OpenWithDesktop
    int m_nWaitCursorDepth = 0;
    int m_nViewUpdates = 0;

private:
    struct SExpectedDialog {
        std::string strName;
        DialogScript script;
    };
    struct SExpectedFileChoice {
        bool bChosen = false;
        std::string strPath;
    };

    std::deque<SExpectedMessage> m_queueMessages;
    std::deque<SExpectedDialog> m_queueDialogs;
    std::deque<SExpectedFileChoice> m_queueFileChoices;
    std::map<std::string, ModelessWatcher> m_mapWatchers;
    std::vector<const CDialogModel*> m_vecOpenModeless;
    bool m_bDesktopOpens = true;
};

// Operator steps for dialog scripts. Each fails the running test when the
// operator could not take it (a control disabled, hidden, or of another kind)
// or the dialog did not react as the step says. Controls a dialog does not
// declare in its table are taken as they come.

// Presses a button that closes the dialog (DIALOG_OK: Enter, DIALOG_CANCEL:
// Escape) and returns its end result; DIALOG_CANCEL when it did not close.
int Press(CDialogModel& dlg, CUi& ui, int nId);
// Presses a button after which the dialog stays open without a message.
SDialogAction Click(CDialogModel& dlg, CUi& ui, int nId);
// Presses a button whose check fails: this message, the focus on this control.
void PressExpectingMessage(CDialogModel& dlg, CUi& ui, int nId, const std::string& strMessage,
                           int nFocusId);
// Types into an edit: the control's filter and limit apply, then the model hears of the change.
void Type(CDialogModel& dlg, CUi& ui, int nId, const std::string& strText);
// Chooses a row of a list, an item of a drop-down list or a radio button by
// its index. Lists report SelChange, the others a change; a control the table
// does not declare counts as a list.
SDialogAction Select(CDialogModel& dlg, CUi& ui, int nId, int nRow);
// Ticks or clears a check box; the model hears of the change.
void Tick(CDialogModel& dlg, CUi& ui, int nId, bool bTicked);
// Double-clicks a row of a list: selects it, then the double click.
SDialogAction DoubleClick(CDialogModel& dlg, CUi& ui, int nId, int nRow);
