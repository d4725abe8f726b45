// The scripted UI must fail a test on anything it was not told to expect;
// otherwise every test built on it could pass over a fault.
#include "ScriptedUi.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
constexpr int IDC_PROBE_NAME = 10;   // upper-case edit, 4 bytes
constexpr int IDC_PROBE_SHOWN = 11;  // read-only edit
constexpr int IDC_PROBE_LIST = 12;   // list box of three rows
constexpr int IDC_PROBE_KIND = 13;   // drop-down list of two items
constexpr int IDC_PROBE_CHECK = 14;  // button whose check fails
constexpr int IDC_PROBE_APPLY = 15;  // button that keeps the dialog open
constexpr int IDC_PROBE_LOCKED = 16; // button, disabled
constexpr int IDC_PROBE_HIDDEN = 17; // edit, hidden
constexpr int IDC_PROBE_TICK = 18;   // check box

SControl Control(int nId, ECtl eKind, size_t nLimit = 0, bool bEnabled = true,
                 bool bVisible = true) {
    SControl control;
    control.nId = nId;
    control.eKind = eKind;
    control.nLimit = nLimit;
    control.bEnabled = bEnabled;
    control.bVisible = bVisible;
    return control;
}

// A dialog that writes down every handler call.
class CProbeDlg : public CDialogModel {
public:
    explicit CProbeDlg(const char* pszName = "CProbeDlg") : m_pszName(pszName) {
        SetControls({
            Control(IDC_PROBE_NAME, ECtl::UpperEdit, 4),
            Control(IDC_PROBE_SHOWN, ECtl::ReadOnlyEdit),
            Control(IDC_PROBE_LIST, ECtl::ListBox),
            Control(IDC_PROBE_KIND, ECtl::DropList),
            Control(IDC_PROBE_CHECK, ECtl::Button),
            Control(IDC_PROBE_APPLY, ECtl::Button),
            Control(IDC_PROBE_LOCKED, ECtl::Button, 0, false),
            Control(IDC_PROBE_HIDDEN, ECtl::Edit, 0, true, false),
            Control(IDC_PROBE_TICK, ECtl::CheckBox),
        });
        SetItems(IDC_PROBE_LIST, {"a", "b", "c"});
        SetItems(IDC_PROBE_KIND, {"x", "y"});
    }

    const char* GetDialogName() const override { return m_pszName; }
    SDialogAction OnCommand(CUi& /*ui*/, int nId) override {
        m_vecEvents.push_back("command " + std::to_string(nId));
        switch (nId) {
        case DIALOG_OK:
        case DIALOG_CANCEL:
            return SDialogAction::CloseWith(nId);
        case IDC_PROBE_CHECK:
            return SDialogAction::Fail("名前がありません", IDC_PROBE_NAME);
        default:
            return SDialogAction::StayOpen();
        }
    }
    SDialogAction OnListEvent(CUi& /*ui*/, int nId, EListEvent eEvent) override {
        m_vecEvents.push_back((eEvent == EListEvent::SelChange ? "select " : "double-click ") +
                              std::to_string(nId) + " row " + std::to_string(GetInt(nId)));
        return SDialogAction::StayOpen();
    }
    void OnChange(CUi& /*ui*/, int nId) override {
        m_vecEvents.push_back("change " + std::to_string(nId));
    }

    std::vector<std::string> m_vecEvents;

private:
    const char* m_pszName;
};

using Events = std::vector<std::string>;
} // namespace

// ---------------------------------------------------------------- message boxes

TEST(ScriptedUiMessages, ExpectedBoxesAreAnsweredInOrderAndRecorded) {
    CScriptedUi ui;
    ui.ExpectMessage("現在のﾈｯﾄﾜｰｸ設定を削除します。", EMsgAnswer::No);
    ui.ExpectMessage("MRV-620から応答がありません");
    EXPECT_EQ(
        ui.ShowMessage("現在のﾈｯﾄﾜｰｸ設定を削除します。", EMsgButtons::YesNo, EMsgIcon::Question),
        EMsgAnswer::No);
    EXPECT_EQ(
        ui.MessageBox("MRV-620から応答がありません", EMsgButtons::Ok, EMsgIcon::Warning, "見出し"),
        EMsgAnswer::Ok);
    ASSERT_EQ(ui.m_vecMessages.size(), 2u);
    EXPECT_EQ(ui.m_vecMessages[0].strCaption, "MRV設定ﾏﾈｰｼﾞｬ");
    EXPECT_EQ(ui.m_vecMessages[0].buttons, EMsgButtons::YesNo);
    EXPECT_EQ(ui.m_vecMessages[0].icon, EMsgIcon::Question);
    EXPECT_EQ(ui.m_vecMessages[1].strCaption, "見出し");
    EXPECT_EQ(ui.MessageTexts(), (std::vector<std::string>{"現在のﾈｯﾄﾜｰｸ設定を削除します。",
                                                           "MRV-620から応答がありません"}));
}

TEST(ScriptedUiMessages, AnUnexpectedBoxFailsNamingItsTextAndGetsTheHarmlessAnswer) {
    CScriptedUi ui;
    EMsgAnswer answer = EMsgAnswer::Yes;
    EXPECT_NONFATAL_FAILURE(answer = ui.ShowMessage("削除しますか?", EMsgButtons::YesNo),
                            "unexpected message box \"削除しますか?\"");
    EXPECT_EQ(answer, EMsgAnswer::No);
    EXPECT_NONFATAL_FAILURE(answer = ui.ShowMessage("続けますか?", EMsgButtons::OkCancel),
                            "\"続けますか?\"");
    EXPECT_EQ(answer, EMsgAnswer::Cancel);
    EXPECT_NONFATAL_FAILURE(answer = ui.ShowMessage("再試行しますか?", EMsgButtons::RetryCancel),
                            "\"再試行しますか?\"");
    EXPECT_EQ(answer, EMsgAnswer::Cancel);
    EXPECT_NONFATAL_FAILURE(answer = ui.ShowMessage("保存しますか?", EMsgButtons::YesNoCancel),
                            "\"保存しますか?\"");
    EXPECT_EQ(answer, EMsgAnswer::Cancel);
    // Recorded all the same.
    EXPECT_EQ(ui.m_vecMessages.size(), 4u);
}

TEST(ScriptedUiMessages, AnotherTextThanTheNextExpectedFailsAndLeavesTheExpectation) {
    CScriptedUi ui;
    ui.ExpectMessage("MRV-620から応答がありません", EMsgAnswer::Yes);
    EMsgAnswer answer = EMsgAnswer::Yes;
    EXPECT_NONFATAL_FAILURE(
        answer = ui.ShowMessage("MRV-620から異常応答を受信しました", EMsgButtons::YesNo),
        "unexpected message box \"MRV-620から異常応答を受信しました\"; the "
        "next expected one is \"MRV-620から応答がありません\"");
    EXPECT_EQ(answer, EMsgAnswer::No);
    EXPECT_EQ(ui.ShowMessage("MRV-620から応答がありません", EMsgButtons::YesNo), EMsgAnswer::Yes);
}

TEST(ScriptedUiMessages, ButtonsAndIconAreCheckedWhenStated) {
    CScriptedUi ui;
    ui.ExpectMessage("削除しますか?", EMsgAnswer::Yes)
        .WithButtons(EMsgButtons::YesNo)
        .WithIcon(EMsgIcon::Question);
    EMsgAnswer answer = EMsgAnswer::Yes;
    EXPECT_NONFATAL_FAILURE(
        answer = ui.ShowMessage("削除しますか?", EMsgButtons::YesNoCancel, EMsgIcon::Question),
        "has the buttons YesNoCancel, expected YesNo");
    EXPECT_EQ(answer, EMsgAnswer::Cancel);

    ui.ExpectMessage("削除しますか?", EMsgAnswer::Yes).WithIcon(EMsgIcon::Question);
    EXPECT_NONFATAL_FAILURE(ui.ShowMessage("削除しますか?", EMsgButtons::YesNo, EMsgIcon::Warning),
                            "has the icon Warning, expected Question");

    ui.ExpectMessage("削除しますか?", EMsgAnswer::Yes)
        .WithButtons(EMsgButtons::YesNo)
        .WithIcon(EMsgIcon::Question);
    EXPECT_EQ(ui.ShowMessage("削除しますか?", EMsgButtons::YesNo, EMsgIcon::Question),
              EMsgAnswer::Yes);
}

TEST(ScriptedUiMessages, AnAnswerThatIsNoButtonOfTheBoxFails) {
    CScriptedUi ui;
    ui.ExpectMessage("MRV-620から応答がありません", EMsgAnswer::Yes);
    EMsgAnswer answer = EMsgAnswer::Yes;
    EXPECT_NONFATAL_FAILURE(answer = ui.ShowMessage("MRV-620から応答がありません"),
                            "the answer Yes is not a button");
    EXPECT_EQ(answer, EMsgAnswer::Ok);
}

TEST(ScriptedUiMessages, WhenShownRunsWhileTheBoxIsUp) {
    CScriptedUi ui;
    int nState = 1;
    int nSeen = 0;
    ui.ExpectMessage("MRV-620から異常応答を受信しました").WhenShown([&] { nSeen = nState; });
    ui.ShowMessage("MRV-620から異常応答を受信しました");
    nState = 2;
    EXPECT_EQ(nSeen, 1);
}

TEST(ScriptedUiMessages, ATextWithARunTimePartIsMatched) {
    CScriptedUi ui;
    ui.ExpectMessageThat(testing::StartsWith("予期しないﾌｧｲﾙ形式です。"));
    ui.ShowMessage("予期しないﾌｧｲﾙ形式です。\n/tmp/x に退避しました。");
    ui.ExpectMessageThat(testing::StartsWith("予期しないﾌｧｲﾙ形式です。"));
    EXPECT_NONFATAL_FAILURE(ui.ShowMessage("ﾄﾞｷｭﾒﾝﾄを開くことに失敗しました。"),
                            "the next expected one is a text that starts with");
    ui.ShowMessage("予期しないﾌｧｲﾙ形式です。");
}

// ---------------------------------------------------------------- modal dialogs

TEST(ScriptedUiDialogs, TheScriptPlaysTheDialogWithThisUi) {
    CScriptedUi ui;
    CProbeDlg dlg;
    CUi* pScriptUi = nullptr;
    ui.ExpectDialog("CProbeDlg", [&](CDialogModel& model, CUi& scriptUi) {
        pScriptUi = &scriptUi;
        EXPECT_EQ(&model, &dlg);
        return 42;
    });
    EXPECT_EQ(ui.DoModal(dlg), 42);
    EXPECT_EQ(pScriptUi, &ui);
    EXPECT_EQ(ui.m_vecDialogs, std::vector<std::string>{"CProbeDlg"});
}

TEST(ScriptedUiDialogs, AnUnexpectedDialogFailsNamingItAndIsCancelled) {
    CScriptedUi ui;
    CProbeDlg dlg("CStrayDlg");
    int nResult = DIALOG_OK;
    EXPECT_NONFATAL_FAILURE(nResult = ui.DoModal(dlg), "unexpected dialog CStrayDlg");
    EXPECT_EQ(nResult, DIALOG_CANCEL);
    EXPECT_TRUE(dlg.m_vecEvents.empty());
    EXPECT_EQ(ui.m_vecDialogs, std::vector<std::string>{"CStrayDlg"});
}

TEST(ScriptedUiDialogs, DialogsComeInTheOrderExpected) {
    CScriptedUi ui;
    CProbeDlg first("CFirstDlg");
    CProbeDlg second("CSecondDlg");
    ui.ExpectDialog("CFirstDlg", [](CDialogModel&, CUi&) { return 1; });
    ui.ExpectDialog("CSecondDlg", [](CDialogModel&, CUi&) { return 2; });
    EXPECT_NONFATAL_FAILURE(ui.DoModal(second),
                            "unexpected dialog CSecondDlg; the next expected one is CFirstDlg");
    EXPECT_EQ(ui.DoModal(first), 1);
    EXPECT_EQ(ui.DoModal(second), 2);
}

TEST(ScriptedUiDialogs, ADialogOpenedFromAScriptTakesTheNextExpectation) {
    CScriptedUi ui;
    CProbeDlg outer("COuterDlg");
    CProbeDlg inner("CInnerDlg");
    ui.ExpectDialog("COuterDlg", [&](CDialogModel&, CUi& scriptUi) {
        return scriptUi.DoModal(inner) == DIALOG_OK ? 7 : 0;
    });
    ui.ExpectDialog("CInnerDlg", [](CDialogModel& dlg, CUi& scriptUi) {
        return Press(dlg, scriptUi, DIALOG_OK);
    });
    EXPECT_EQ(ui.DoModal(outer), 7);
    EXPECT_EQ(ui.m_vecDialogs, (std::vector<std::string>{"COuterDlg", "CInnerDlg"}));
}

// ---------------------------------------------------------------- leftovers

TEST(ScriptedUiLeftovers, EveryKindOfExpectationLeftOverFails) {
    CScriptedUi ui;
    ui.ExpectMessage("MRV-620から応答がありません");
    EXPECT_NONFATAL_FAILURE(ui.VerifyAllConsumed(),
                            "expected message box \"MRV-620から応答がありません\" was not shown");
    ui.ExpectDialog("CParamEditor", [](CDialogModel&, CUi&) { return DIALOG_OK; });
    EXPECT_NONFATAL_FAILURE(ui.VerifyAllConsumed(), "expected dialog CParamEditor was not shown");
    ui.ExpectFileChoice("/tmp/app.mot");
    EXPECT_NONFATAL_FAILURE(ui.VerifyAllConsumed(),
                            "expected file-open choice (/tmp/app.mot) was not offered");
    ui.ExpectFileChoiceCancelled();
    EXPECT_NONFATAL_FAILURE(ui.VerifyAllConsumed(),
                            "expected file-open choice (cancelled) was not offered");
}

TEST(ScriptedUiLeftovers, TheEndOfTheUiChecksAndEachLeftoverFailsOnce) {
    EXPECT_NONFATAL_FAILURE(
        {
            CScriptedUi ui;
            ui.ExpectDialog("CVersionInfoDlg", [](CDialogModel&, CUi&) { return DIALOG_OK; });
        },
        "expected dialog CVersionInfoDlg was not shown");
    // Verified by hand first: the destructor does not report it again.
    EXPECT_NONFATAL_FAILURE(
        {
            CScriptedUi ui;
            ui.ExpectMessage("MRV-620から応答がありません");
            ui.VerifyAllConsumed();
        },
        "was not shown");
}

TEST(ScriptedUiLeftovers, NothingLeftOverPassesQuietly) {
    CScriptedUi ui;
    ui.ExpectMessage("MRV-620から応答がありません");
    ui.ShowMessage("MRV-620から応答がありません");
    ui.VerifyAllConsumed();
}

// ---------------------------------------------------------------- files and windows

TEST(ScriptedUiFiles, ChoicesAreMadeInOrderAndTheOffersRecorded) {
    CScriptedUi ui;
    ui.ExpectFileChoice("/home/op/app.mot");
    ui.ExpectFileChoiceCancelled();
    SFileChoice choice{"", ".mot", {{"MOT Files (*.mot)", "*.mot"}}};
    std::string strPath;
    EXPECT_TRUE(ui.ChooseFileToOpen(choice, strPath));
    EXPECT_EQ(strPath, "/home/op/app.mot");
    strPath = "unchanged";
    EXPECT_FALSE(ui.ChooseFileToOpen(choice, strPath));
    EXPECT_EQ(strPath, "unchanged");
    ASSERT_EQ(ui.m_vecFileChoices.size(), 2u);
    EXPECT_EQ(ui.m_vecFileChoices[0].strDefaultExt, ".mot");
    ASSERT_EQ(ui.m_vecFileChoices[0].vecFilters.size(), 1u);
    EXPECT_EQ(ui.m_vecFileChoices[0].vecFilters[0].strPatterns, "*.mot");
}

TEST(ScriptedUiFiles, AnUnexpectedChoiceFailsAndIsCancelled) {
    CScriptedUi ui;
    std::string strPath;
    bool bChosen = true;
    EXPECT_NONFATAL_FAILURE(bChosen = ui.ChooseFileToOpen({"ﾌｧｲﾙを開く", ".mot", {}}, strPath),
                            "unexpected file-open choice \"ﾌｧｲﾙを開く\"");
    EXPECT_FALSE(bChosen);
    EXPECT_EQ(strPath, "");
}

TEST(ScriptedUiFiles, DesktopOpeningsAreRecordedWithTheOutcomeSet) {
    CScriptedUi ui;
    EXPECT_TRUE(ui.OpenWithDesktop("/opt/mrvmgr/help.pdf"));
    ui.SetDesktopOpens(false);
    EXPECT_FALSE(ui.OpenWithDesktop("/opt/mrvmgr/other.pdf"));
    EXPECT_EQ(ui.m_vecOpened,
              (std::vector<std::string>{"/opt/mrvmgr/help.pdf", "/opt/mrvmgr/other.pdf"}));
}

TEST(ScriptedUiWindows, ModelessWindowsAreRecordedAndWatchedAtEveryRefresh) {
    CScriptedUi ui;
    CProbeDlg dlg("CBatchProgressDlg");
    std::vector<std::string> vecSeen;
    ui.WatchModeless("CBatchProgressDlg", [&](const CDialogModel& model) {
        vecSeen.push_back(model.GetText(IDC_PROBE_SHOWN));
    });
    dlg.SetText(IDC_PROBE_SHOWN, "0/2");
    {
        CModelessWindow window(ui, dlg);
        dlg.SetText(IDC_PROBE_SHOWN, "1/2");
        window.Refresh();
        dlg.SetText(IDC_PROBE_SHOWN, "2/2");
        window.Refresh();
    }
    EXPECT_EQ(vecSeen, (std::vector<std::string>{"0/2", "1/2", "2/2"}));
    using E = CScriptedUi::SModelessEvent;
    EXPECT_EQ(ui.m_vecModeless, (std::vector<E>{{E::Open, "CBatchProgressDlg"},
                                                {E::Refresh, "CBatchProgressDlg"},
                                                {E::Refresh, "CBatchProgressDlg"},
                                                {E::Close, "CBatchProgressDlg"}}));
}

TEST(ScriptedUiWindows, AWindowNotOpenOrLeftOpenFails) {
    CScriptedUi ui;
    CProbeDlg dlg("CInfoDlg");
    EXPECT_NONFATAL_FAILURE(ui.RefreshModeless(dlg),
                            "refresh of modeless window CInfoDlg, which is not open");
    EXPECT_NONFATAL_FAILURE(ui.CloseModeless(dlg),
                            "close of modeless window CInfoDlg, which is not open");
    ui.OpenModeless(dlg);
    EXPECT_NONFATAL_FAILURE(ui.OpenModeless(dlg), "modeless window CInfoDlg opened twice");
    EXPECT_NONFATAL_FAILURE(ui.VerifyAllConsumed(), "modeless window CInfoDlg is still open");
}

// ---------------------------------------------------------------- operator steps

TEST(ScriptedUiSteps, PressReturnsTheEndResultOfAClosingButton) {
    CScriptedUi ui;
    CProbeDlg dlg;
    EXPECT_EQ(Press(dlg, ui, DIALOG_OK), DIALOG_OK);
    EXPECT_EQ(Press(dlg, ui, DIALOG_CANCEL), DIALOG_CANCEL);
    EXPECT_EQ(dlg.m_vecEvents, (Events{"command 1", "command 2"}));
}

TEST(ScriptedUiSteps, PressFailsWhenTheDialogDoesNotClose) {
    CScriptedUi ui;
    CProbeDlg dlg;
    int nResult = DIALOG_OK;
    EXPECT_NONFATAL_FAILURE(nResult = Press(dlg, ui, IDC_PROBE_APPLY),
                            "pressing 15 in CProbeDlg stayed open instead of closing it");
    EXPECT_EQ(nResult, DIALOG_CANCEL);
    EXPECT_NONFATAL_FAILURE(
        Press(dlg, ui, IDC_PROBE_CHECK),
        "pressing 14 in CProbeDlg showed a message instead of closing it: \"名前がありません\"");
}

TEST(ScriptedUiSteps, AControlTheOperatorCannotReachFailsAndIsNotCalled) {
    CScriptedUi ui;
    CProbeDlg dlg;
    EXPECT_NONFATAL_FAILURE(Press(dlg, ui, IDC_PROBE_LOCKED),
                            "Press: control 16 of CProbeDlg is disabled");
    EXPECT_NONFATAL_FAILURE(Type(dlg, ui, IDC_PROBE_HIDDEN, "x"),
                            "Type: control 17 of CProbeDlg is hidden");
    EXPECT_NONFATAL_FAILURE(Type(dlg, ui, IDC_PROBE_SHOWN, "x"),
                            "Type: control 11 of CProbeDlg is not a control of that kind");
    EXPECT_NONFATAL_FAILURE(Press(dlg, ui, IDC_PROBE_NAME),
                            "Press: control 10 of CProbeDlg is not a control of that kind");
    EXPECT_TRUE(dlg.m_vecEvents.empty());
    EXPECT_EQ(dlg.GetText(IDC_PROBE_SHOWN), "");
}

TEST(ScriptedUiSteps, ClickKeepsTheDialogOpenOrFails) {
    CScriptedUi ui;
    CProbeDlg dlg;
    EXPECT_EQ(Click(dlg, ui, IDC_PROBE_APPLY).eKind, SDialogAction::Stay);
    EXPECT_NONFATAL_FAILURE(Click(dlg, ui, DIALOG_OK),
                            "clicking 1 in CProbeDlg closed instead of staying open");
}

TEST(ScriptedUiSteps, PressExpectingMessageChecksTheTextAndTheFocus) {
    CScriptedUi ui;
    CProbeDlg dlg;
    PressExpectingMessage(dlg, ui, IDC_PROBE_CHECK, "名前がありません", IDC_PROBE_NAME);
    EXPECT_NONFATAL_FAILURE(
        PressExpectingMessage(dlg, ui, IDC_PROBE_CHECK, "番号がありません", IDC_PROBE_NAME),
        "名前がありません");
    EXPECT_NONFATAL_FAILURE(
        PressExpectingMessage(dlg, ui, IDC_PROBE_CHECK, "名前がありません", IDC_PROBE_LIST),
        "focus after \"名前がありません\"");
    EXPECT_NONFATAL_FAILURE(
        PressExpectingMessage(dlg, ui, DIALOG_OK, "名前がありません", IDC_PROBE_NAME),
        "pressing 1 in CProbeDlg closed instead of showing \"名前がありません\"");
}

TEST(ScriptedUiSteps, TypingAppliesTheFilterThenTellsTheModel) {
    CScriptedUi ui;
    CProbeDlg dlg;
    Type(dlg, ui, IDC_PROBE_NAME, "abcdef");
    EXPECT_EQ(dlg.GetText(IDC_PROBE_NAME), "ABCD");
    EXPECT_EQ(dlg.m_vecEvents, Events{"change 10"});
}

TEST(ScriptedUiSteps, ChoosingReportsSelChangeForListsAndAChangeForTheRest) {
    CScriptedUi ui;
    CProbeDlg dlg;
    Select(dlg, ui, IDC_PROBE_LIST, 2);
    Select(dlg, ui, IDC_PROBE_KIND, 1);
    Tick(dlg, ui, IDC_PROBE_TICK, true);
    EXPECT_EQ(dlg.GetInt(IDC_PROBE_LIST), 2);
    EXPECT_EQ(dlg.GetInt(IDC_PROBE_KIND), 1);
    EXPECT_EQ(dlg.GetInt(IDC_PROBE_TICK), 1);
    EXPECT_EQ(dlg.m_vecEvents, (Events{"select 12 row 2", "change 13", "change 18"}));
    EXPECT_NONFATAL_FAILURE(Tick(dlg, ui, IDC_PROBE_KIND, true), "is not a control of that kind");
    EXPECT_NONFATAL_FAILURE(Select(dlg, ui, IDC_PROBE_LIST, 3),
                            "Select: control 12 of CProbeDlg has no row 3 (3 there)");
    EXPECT_NONFATAL_FAILURE(Select(dlg, ui, IDC_PROBE_NAME, 0), "is not a control of that kind");
    EXPECT_EQ(dlg.GetInt(IDC_PROBE_LIST), 2);
}

TEST(ScriptedUiSteps, DoubleClickSelectsTheRowFirst) {
    CScriptedUi ui;
    CProbeDlg dlg;
    DoubleClick(dlg, ui, IDC_PROBE_LIST, 1);
    EXPECT_EQ(dlg.m_vecEvents, (Events{"select 12 row 1", "double-click 12 row 1"}));
    EXPECT_NONFATAL_FAILURE(DoubleClick(dlg, ui, IDC_PROBE_KIND, 0),
                            "DoubleClick: control 13 of CProbeDlg is not a list");
}
