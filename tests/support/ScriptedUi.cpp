#include "ScriptedUi.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

namespace {
const char* ButtonsName(EMsgButtons buttons) {
    switch (buttons) {
    case EMsgButtons::Ok:
        return "Ok";
    case EMsgButtons::OkCancel:
        return "OkCancel";
    case EMsgButtons::YesNo:
        return "YesNo";
    case EMsgButtons::YesNoCancel:
        return "YesNoCancel";
    case EMsgButtons::RetryCancel:
        return "RetryCancel";
    }
    return "?";
}

const char* IconName(EMsgIcon icon) {
    switch (icon) {
    case EMsgIcon::None:
        return "None";
    case EMsgIcon::Information:
        return "Information";
    case EMsgIcon::Warning:
        return "Warning";
    case EMsgIcon::Error:
        return "Error";
    case EMsgIcon::Question:
        return "Question";
    }
    return "?";
}

const char* AnswerName(EMsgAnswer answer) {
    switch (answer) {
    case EMsgAnswer::Ok:
        return "Ok";
    case EMsgAnswer::Cancel:
        return "Cancel";
    case EMsgAnswer::Yes:
        return "Yes";
    case EMsgAnswer::No:
        return "No";
    case EMsgAnswer::Retry:
        return "Retry";
    }
    return "?";
}

std::vector<EMsgAnswer> AnswersOf(EMsgButtons buttons) {
    switch (buttons) {
    case EMsgButtons::Ok:
        return {EMsgAnswer::Ok};
    case EMsgButtons::OkCancel:
        return {EMsgAnswer::Ok, EMsgAnswer::Cancel};
    case EMsgButtons::YesNo:
        return {EMsgAnswer::Yes, EMsgAnswer::No};
    case EMsgButtons::YesNoCancel:
        return {EMsgAnswer::Yes, EMsgAnswer::No, EMsgAnswer::Cancel};
    case EMsgButtons::RetryCancel:
        return {EMsgAnswer::Retry, EMsgAnswer::Cancel};
    }
    return {};
}

// The answer that does least: go no further.
EMsgAnswer HarmlessAnswer(EMsgButtons buttons) {
    switch (buttons) {
    case EMsgButtons::Ok:
        return EMsgAnswer::Ok;
    case EMsgButtons::YesNo:
        return EMsgAnswer::No;
    default:
        return EMsgAnswer::Cancel;
    }
}

const char* DialogName(const CDialogModel& dlg) {
    return dlg.GetDialogName();
}

// The operator can reach the control: enabled and shown. A control outside
// the table is taken as it comes.
bool CanReach(const CDialogModel& dlg, int nId, const char* pszStep) {
    if (dlg.FindControl(nId) == nullptr) {
        return true;
    }
    if (!dlg.IsVisible(nId)) {
        ADD_FAILURE() << pszStep << ": control " << nId << " of " << DialogName(dlg)
                      << " is hidden";
        return false;
    }
    if (!dlg.IsEnabled(nId)) {
        ADD_FAILURE() << pszStep << ": control " << nId << " of " << DialogName(dlg)
                      << " is disabled";
        return false;
    }
    return true;
}

bool IsKind(const CDialogModel& dlg, int nId, std::initializer_list<ECtl> kinds,
            const char* pszStep) {
    const SControl* pControl = dlg.FindControl(nId);
    if (pControl == nullptr ||
        std::find(kinds.begin(), kinds.end(), pControl->eKind) != kinds.end()) {
        return true;
    }
    ADD_FAILURE() << pszStep << ": control " << nId << " of " << DialogName(dlg)
                  << " is not a control of that kind";
    return false;
}

const char* ActionName(const SDialogAction& action) {
    switch (action.eKind) {
    case SDialogAction::Stay:
        return "stayed open";
    case SDialogAction::Close:
        return "closed";
    case SDialogAction::Message:
        return "showed a message";
    }
    return "?";
}
} // namespace

CScriptedUi::SExpectedMessage& CScriptedUi::ExpectMessage(const std::string& strText,
                                                          EMsgAnswer answer) {
    SExpectedMessage expected;
    expected.text = testing::Eq(strText);
    expected.strDescription = "\"" + strText + "\"";
    expected.answer = answer;
    m_queueMessages.push_back(std::move(expected));
    return m_queueMessages.back();
}

CScriptedUi::SExpectedMessage&
CScriptedUi::ExpectMessageThat(testing::Matcher<const std::string&> matcher, EMsgAnswer answer) {
    SExpectedMessage expected;
    expected.strDescription =
        "a text that " + testing::DescribeMatcher<const std::string&>(matcher);
    expected.text = std::move(matcher);
    expected.answer = answer;
    m_queueMessages.push_back(std::move(expected));
    return m_queueMessages.back();
}

void CScriptedUi::ExpectDialog(const std::string& strName, DialogScript script) {
    m_queueDialogs.push_back({strName, std::move(script)});
}

void CScriptedUi::ExpectFileChoice(const std::string& strPath) {
    m_queueFileChoices.push_back({true, strPath});
}

void CScriptedUi::ExpectFileChoiceCancelled() {
    m_queueFileChoices.push_back({false, {}});
}

void CScriptedUi::VerifyAllConsumed() {
    for (const SExpectedMessage& expected : m_queueMessages) {
        ADD_FAILURE() << "expected message box " << expected.strDescription << " was not shown";
    }
    for (const SExpectedDialog& expected : m_queueDialogs) {
        ADD_FAILURE() << "expected dialog " << expected.strName << " was not shown";
    }
    for (const SExpectedFileChoice& expected : m_queueFileChoices) {
        ADD_FAILURE() << "expected file-open choice ("
                      << (expected.bChosen ? expected.strPath : "cancelled") << ") was not offered";
    }
    for (const CDialogModel* pDialog : m_vecOpenModeless) {
        ADD_FAILURE() << "modeless window " << pDialog->GetDialogName() << " is still open";
    }
    m_queueMessages.clear();
    m_queueDialogs.clear();
    m_queueFileChoices.clear();
    m_vecOpenModeless.clear();
}

EMsgAnswer CScriptedUi::MessageBox(const std::string& strText, EMsgButtons buttons, EMsgIcon icon,
                                   const std::string& strCaption) {
    m_vecMessages.push_back({strText, strCaption, buttons, icon});
    if (m_queueMessages.empty()) {
        ADD_FAILURE() << "unexpected message box \"" << strText << "\"";
        return HarmlessAnswer(buttons);
    }
    if (!m_queueMessages.front().text.Matches(strText)) {
        ADD_FAILURE() << "unexpected message box \"" << strText << "\"; the next expected one is "
                      << m_queueMessages.front().strDescription;
        return HarmlessAnswer(buttons);
    }
    SExpectedMessage expected = std::move(m_queueMessages.front());
    m_queueMessages.pop_front();
    bool bAsExpected = true;
    if (expected.buttons && *expected.buttons != buttons) {
        ADD_FAILURE() << "message box \"" << strText << "\" has the buttons "
                      << ButtonsName(buttons) << ", expected " << ButtonsName(*expected.buttons);
        bAsExpected = false;
    }
    if (expected.icon && *expected.icon != icon) {
        ADD_FAILURE() << "message box \"" << strText << "\" has the icon " << IconName(icon)
                      << ", expected " << IconName(*expected.icon);
        bAsExpected = false;
    }
    std::vector<EMsgAnswer> vecAnswers = AnswersOf(buttons);
    if (bAsExpected &&
        std::find(vecAnswers.begin(), vecAnswers.end(), expected.answer) == vecAnswers.end()) {
        ADD_FAILURE() << "the answer " << AnswerName(expected.answer)
                      << " is not a button of message box \"" << strText << "\" ("
                      << ButtonsName(buttons) << ")";
        bAsExpected = false;
    }
    if (expected.fnWhenShown) {
        expected.fnWhenShown();
    }
    return bAsExpected ? expected.answer : HarmlessAnswer(buttons);
}

int CScriptedUi::DoModal(CDialogModel& dialog) {
    const std::string strName = dialog.GetDialogName();
    m_vecDialogs.push_back(strName);
    if (m_queueDialogs.empty()) {
        ADD_FAILURE() << "unexpected dialog " << strName;
        return DIALOG_CANCEL;
    }
    if (m_queueDialogs.front().strName != strName) {
        ADD_FAILURE() << "unexpected dialog " << strName << "; the next expected one is "
                      << m_queueDialogs.front().strName;
        return DIALOG_CANCEL;
    }
    // Taken off first: the script may open dialogs of its own.
    DialogScript script = std::move(m_queueDialogs.front().script);
    m_queueDialogs.pop_front();
    return script(dialog, *this);
}

void CScriptedUi::OpenModeless(CDialogModel& dialog) {
    m_vecModeless.push_back({SModelessEvent::Open, dialog.GetDialogName()});
    if (std::find(m_vecOpenModeless.begin(), m_vecOpenModeless.end(), &dialog) !=
        m_vecOpenModeless.end()) {
        ADD_FAILURE() << "modeless window " << dialog.GetDialogName() << " opened twice";
        return;
    }
    m_vecOpenModeless.push_back(&dialog);
    auto it = m_mapWatchers.find(dialog.GetDialogName());
    if (it != m_mapWatchers.end()) {
        it->second(dialog);
    }
}

void CScriptedUi::RefreshModeless(CDialogModel& dialog) {
    m_vecModeless.push_back({SModelessEvent::Refresh, dialog.GetDialogName()});
    if (std::find(m_vecOpenModeless.begin(), m_vecOpenModeless.end(), &dialog) ==
        m_vecOpenModeless.end()) {
        ADD_FAILURE() << "refresh of modeless window " << dialog.GetDialogName()
                      << ", which is not open";
        return;
    }
    auto it = m_mapWatchers.find(dialog.GetDialogName());
    if (it != m_mapWatchers.end()) {
        it->second(dialog);
    }
}

void CScriptedUi::CloseModeless(CDialogModel& dialog) {
    m_vecModeless.push_back({SModelessEvent::Close, dialog.GetDialogName()});
    auto it = std::find(m_vecOpenModeless.begin(), m_vecOpenModeless.end(), &dialog);
    if (it == m_vecOpenModeless.end()) {
        ADD_FAILURE() << "close of modeless window " << dialog.GetDialogName()
                      << ", which is not open";
        return;
    }
    m_vecOpenModeless.erase(it);
}

bool CScriptedUi::ChooseFileToOpen(const SFileChoice& choice, std::string& strPath) {
    m_vecFileChoices.push_back(choice);
    if (m_queueFileChoices.empty()) {
        ADD_FAILURE() << "unexpected file-open choice \"" << choice.strTitle << "\" ("
                      << choice.strDefaultExt << ")";
        return false;
    }
    SExpectedFileChoice expected = std::move(m_queueFileChoices.front());
    m_queueFileChoices.pop_front();
    if (expected.bChosen) {
        strPath = expected.strPath;
    }
    return expected.bChosen;
}

std::vector<std::string> CScriptedUi::MessageTexts() const {
    std::vector<std::string> vec;
    for (const SMessage& msg : m_vecMessages) {
        vec.push_back(msg.strText);
    }
    return vec;
}

// ---------------------------------------------------------------- operator steps

int Press(CDialogModel& dlg, CUi& ui, int nId) {
    if (!CanReach(dlg, nId, "Press") || !IsKind(dlg, nId, {ECtl::Button}, "Press")) {
        return DIALOG_CANCEL;
    }
    SDialogAction action = dlg.OnCommand(ui, nId);
    if (action.eKind != SDialogAction::Close) {
        ADD_FAILURE() << "pressing " << nId << " in " << DialogName(dlg) << " "
                      << ActionName(action) << " instead of closing it"
                      << (action.strMessage.empty() ? "" : ": \"" + action.strMessage + "\"");
        return DIALOG_CANCEL;
    }
    return action.nResult;
}

SDialogAction Click(CDialogModel& dlg, CUi& ui, int nId) {
    if (!CanReach(dlg, nId, "Click") || !IsKind(dlg, nId, {ECtl::Button}, "Click")) {
        return SDialogAction::StayOpen();
    }
    SDialogAction action = dlg.OnCommand(ui, nId);
    if (action.eKind != SDialogAction::Stay) {
        ADD_FAILURE() << "clicking " << nId << " in " << DialogName(dlg) << " "
                      << ActionName(action) << " instead of staying open"
                      << (action.strMessage.empty() ? "" : ": \"" + action.strMessage + "\"");
    }
    return action;
}

void PressExpectingMessage(CDialogModel& dlg, CUi& ui, int nId, const std::string& strMessage,
                           int nFocusId) {
    if (!CanReach(dlg, nId, "Press") || !IsKind(dlg, nId, {ECtl::Button}, "Press")) {
        return;
    }
    SDialogAction action = dlg.OnCommand(ui, nId);
    if (action.eKind != SDialogAction::Message) {
        ADD_FAILURE() << "pressing " << nId << " in " << DialogName(dlg) << " "
                      << ActionName(action) << " instead of showing \"" << strMessage << "\"";
        return;
    }
    EXPECT_EQ(action.strMessage, strMessage) << "pressing " << nId << " in " << DialogName(dlg);
    EXPECT_EQ(action.nFocusId, nFocusId) << "focus after \"" << action.strMessage << "\"";
}

void Type(CDialogModel& dlg, CUi& ui, int nId, const std::string& strText) {
    if (!CanReach(dlg, nId, "Type") ||
        !IsKind(dlg, nId, {ECtl::Edit, ECtl::DigitsEdit, ECtl::HexEdit, ECtl::UpperEdit}, "Type")) {
        return;
    }
    dlg.TypeText(nId, strText);
    dlg.OnChange(ui, nId);
}

namespace {
// Select's work; nothing when the operator could not make the choice.
std::optional<SDialogAction> TrySelect(CDialogModel& dlg, CUi& ui, int nId, int nRow) {
    const SControl* pControl = dlg.FindControl(nId);
    if (!CanReach(dlg, nId, "Select") ||
        !IsKind(dlg, nId, {ECtl::DropList, ECtl::ListBox, ECtl::ReportList, ECtl::RadioGroup},
                "Select")) {
        return std::nullopt;
    }
    size_t nChoices = std::max(dlg.GetItems(nId).size(), dlg.GetRows(nId).size());
    if (pControl != nullptr && pControl->eKind == ECtl::RadioGroup) {
        nChoices = pControl->vecMembers.size();
    }
    if (nRow < 0 || static_cast<size_t>(nRow) >= nChoices) {
        ADD_FAILURE() << "Select: control " << nId << " of " << DialogName(dlg) << " has no row "
                      << nRow << " (" << nChoices << " there)";
        return std::nullopt;
    }
    dlg.SetInt(nId, nRow);
    bool bList = pControl == nullptr || pControl->eKind == ECtl::ListBox ||
                 pControl->eKind == ECtl::ReportList;
    if (!bList) {
        dlg.OnChange(ui, nId);
        return SDialogAction::StayOpen();
    }
    return dlg.OnListEvent(ui, nId, EListEvent::SelChange);
}
} // namespace

SDialogAction Select(CDialogModel& dlg, CUi& ui, int nId, int nRow) {
    return TrySelect(dlg, ui, nId, nRow).value_or(SDialogAction::StayOpen());
}

void Tick(CDialogModel& dlg, CUi& ui, int nId, bool bTicked) {
    if (!CanReach(dlg, nId, "Tick") || !IsKind(dlg, nId, {ECtl::CheckBox}, "Tick")) {
        return;
    }
    dlg.SetInt(nId, bTicked ? 1 : 0);
    dlg.OnChange(ui, nId);
}

SDialogAction DoubleClick(CDialogModel& dlg, CUi& ui, int nId, int nRow) {
    const SControl* pControl = dlg.FindControl(nId);
    if (pControl != nullptr && pControl->eKind != ECtl::ListBox &&
        pControl->eKind != ECtl::ReportList) {
        ADD_FAILURE() << "DoubleClick: control " << nId << " of " << DialogName(dlg)
                      << " is not a list";
        return SDialogAction::StayOpen();
    }
    std::optional<SDialogAction> selected = TrySelect(dlg, ui, nId, nRow);
    if (!selected) {
        return SDialogAction::StayOpen();
    }
    if (selected->eKind != SDialogAction::Stay) {
        return *selected; // the selection alone ended it
    }
    return dlg.OnListEvent(ui, nId, EListEvent::DoubleClick);
}
