#include "gui/DialogView.h"
#include "ModalScript.h"
#include "doc/VersionInfoDlg.h"
#include "gui/QtUi.h"
#include "ops/IpSearchDlg.h"
#include "params/DefaultParamSheet.h"
#include "params/ParamEditor.h"
#include "params/ParamSubDialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTest>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {
// Every kind of control on one dialog, with a record of what reached the handlers.
class CProbeDlg : public CDialogModel {
public:
    static constexpr int ID_CODE = 100;   // upper-case edit, 6 bytes
    static constexpr int ID_CHOICE = 101; // drop-down
    static constexpr int ID_FLAG = 102;   // check box
    static constexpr int ID_SPEED = 103;  // radio group of 110, 111
    static constexpr int ID_ROWS = 104;   // report list, multi-selection
    static constexpr int ID_APPLY = 105;  // button
    static constexpr int ID_NOTE = 106;   // label
    static constexpr int ID_GROUP = 107;  // group

    CProbeDlg() {
        SetControls({
            SControl::Of(ID_CODE, ECtl::UpperEdit, 6),
            SControl::Of(ID_CHOICE, ECtl::DropList),
            SControl::Captioned(ID_FLAG, ECtl::CheckBox, "有効"),
            SControl::Radio(ID_SPEED, {110, 111}),
            SControl::Report(ID_ROWS, {{"名前", 80}, {"値", 40}}, true),
            SControl::Captioned(ID_APPLY, ECtl::Button, "適用"),
            SControl::Captioned(ID_NOTE, ECtl::Label, "説明"),
            SControl::Captioned(ID_GROUP, ECtl::Group, "枠"),
        });
        SetTitle("試験");
        SetCaption(111, "高速");
        SetItems(ID_CHOICE, {"A", "B", "\x83\x41"}); // "ア" in CP932
        SetInt(ID_CHOICE, 1);
        SetInt(ID_SPEED, 0);
        SetRows(ID_ROWS, {{"one", "1"}, {"two", "2"}, {"three", "3"}});
    }
    const char* GetDialogName() const override { return "CProbeDlg"; }
    SDialogAction OnCommand(CUi&, int nId) override {
        m_vecCommands.push_back(nId);
        if (nId == DIALOG_OK) {
            return SDialogAction::CloseWith(m_nOkResult);
        }
        if (nId == DIALOG_CANCEL && m_nCancelsRefused > 0) {
            --m_nCancelsRefused;
            return SDialogAction::Focus(ID_CODE);
        }
        if (nId == DIALOG_CANCEL) {
            return SDialogAction::CloseWith(DIALOG_CANCEL);
        }
        if (nId == ID_APPLY) {
            // A handler changes what the view shows.
            SetText(ID_CODE, "APPLY");
            SetRows(ID_ROWS, {{"four", "4"}});
            SetSelection(ID_ROWS, {0});
            Enable(ID_CHOICE, false);
            Show(ID_NOTE, false);
            SetCaption(ID_GROUP, "変更後");
        }
        return SDialogAction::StayOpen();
    }
    SDialogAction OnListEvent(CUi&, int nId, EListEvent eEvent) override {
        m_vecListEvents.emplace_back(nId, eEvent);
        return SDialogAction::StayOpen();
    }
    void OnChange(CUi&, int nId) override {
        m_vecChanges.push_back(nId);
        if (nId == ID_FLAG) {
            // Ticking the box takes the radio group back to its first button.
            SetInt(ID_SPEED, 0);
        }
    }

    std::vector<int> m_vecCommands;
    std::vector<std::pair<int, EListEvent>> m_vecListEvents;
    std::vector<int> m_vecChanges;
    int m_nOkResult = 7;
    int m_nCancelsRefused = 0;
};

// The probe's form, built as Designer would: widgets named by control id.
void SetUpProbeForm(QDialog* pDialog) {
    pDialog->setObjectName("CProbeDlg");
    auto* pLayout = new QVBoxLayout(pDialog);
    auto Add = [&](QWidget* pWidget, int nId) {
        pWidget->setObjectName(QStringLiteral("id%1").arg(nId));
        pLayout->addWidget(pWidget);
    };
    Add(new QLineEdit, CProbeDlg::ID_CODE);
    Add(new QComboBox, CProbeDlg::ID_CHOICE);
    Add(new QCheckBox, CProbeDlg::ID_FLAG);
    Add(new QRadioButton("slow"), 110);
    Add(new QRadioButton("fast"), 111);
    Add(new QTreeWidget, CProbeDlg::ID_ROWS);
    Add(new QPushButton, CProbeDlg::ID_APPLY);
    Add(new QLabel, CProbeDlg::ID_NOTE);
    Add(new QGroupBox, CProbeDlg::ID_GROUP);
}

QStringList TreeRows(QTreeWidget* pTree) {
    QStringList list;
    for (int i = 0; i < pTree->topLevelItemCount(); ++i) {
        list << pTree->topLevelItem(i)->text(0) + "|" + pTree->topLevelItem(i)->text(1);
    }
    return list;
}

void ClickTreeRow(QTreeWidget* pTree, int nRow, Qt::KeyboardModifiers modifiers = {}) {
    QRect rect = pTree->visualItemRect(pTree->topLevelItem(nRow));
    QTest::mouseClick(pTree->viewport(), Qt::LeftButton, modifiers, rect.center());
}

class DialogView : public ::testing::Test {
protected:
    DialogView() : m_pView(CDialogView::CreateOnForm(m_dlg, m_ui, nullptr, SetUpProbeForm)) {}

    CQtUi m_ui;
    CProbeDlg m_dlg;
    std::unique_ptr<CDialogView> m_pView;
};
} // namespace

TEST_F(DialogView, ShowsTheModelsValuesTextsAndColumns) {
    QDialog& dlg = *m_pView;
    EXPECT_TRUE(m_pView->GetUnboundControls().empty());
    EXPECT_EQ(dlg.windowTitle(), QString::fromUtf8("試験"));
    EXPECT_EQ(ControlWidget<QCheckBox>(dlg, 102)->text(), QString::fromUtf8("有効"));
    EXPECT_EQ(ControlWidget<QRadioButton>(dlg, 110)->text(), "slow"); // the form's own
    EXPECT_EQ(ControlWidget<QRadioButton>(dlg, 111)->text(), QString::fromUtf8("高速"));
    EXPECT_TRUE(ControlWidget<QRadioButton>(dlg, 110)->isChecked());
    EXPECT_EQ(ControlWidget<QPushButton>(dlg, 105)->text(), QString::fromUtf8("適用"));
    EXPECT_EQ(ControlWidget<QLabel>(dlg, 106)->text(), QString::fromUtf8("説明"));
    EXPECT_EQ(ControlWidget<QGroupBox>(dlg, 107)->title(), QString::fromUtf8("枠"));
    auto* pChoice = ControlWidget<QComboBox>(dlg, 101);
    EXPECT_EQ(pChoice->count(), 3);
    EXPECT_EQ(pChoice->itemText(2), QString::fromUtf8("ア"));
    EXPECT_EQ(pChoice->currentIndex(), 1);
    auto* pTree = ControlWidget<QTreeWidget>(dlg, 104);
    EXPECT_EQ(pTree->headerItem()->text(0), QString::fromUtf8("名前"));
    EXPECT_EQ(pTree->headerItem()->text(1), QString::fromUtf8("値"));
    EXPECT_EQ(pTree->columnWidth(0), 80);
    EXPECT_EQ(TreeRows(pTree), (QStringList{"one|1", "two|2", "three|3"}));
    EXPECT_FALSE(ControlWidget<QPushButton>(dlg, 105)->autoDefault());
}

TEST_F(DialogView, OperatorChangesReachTheModelAndItsHandlers) {
    QDialog& dlg = *m_pView;
    m_pView->show();
    auto* pCode = ControlWidget<QLineEdit>(dlg, 100);
    QTest::keyClicks(pCode, "ab1cdefg");
    EXPECT_EQ(pCode->text(), "AB1CDE");
    EXPECT_EQ(m_dlg.GetText(100), "AB1CDE");
    EXPECT_EQ(m_dlg.m_vecChanges, std::vector<int>(6, 100)); // one per kept character

    m_dlg.m_vecChanges.clear();
    auto* pChoice = ControlWidget<QComboBox>(dlg, 101);
    pChoice->setFocus();
    QTest::keyClick(pChoice, Qt::Key_Down);
    EXPECT_EQ(m_dlg.GetInt(101), 2);
    ClickBox(ControlWidget<QRadioButton>(dlg, 111));
    EXPECT_EQ(m_dlg.GetInt(103), 1);
    // The handler of the check box moves the radio group back.
    ClickBox(ControlWidget<QCheckBox>(dlg, 102));
    EXPECT_EQ(m_dlg.GetInt(102), 1);
    EXPECT_EQ(m_dlg.GetInt(103), 0);
    EXPECT_TRUE(ControlWidget<QRadioButton>(dlg, 110)->isChecked());
    EXPECT_FALSE(ControlWidget<QRadioButton>(dlg, 111)->isChecked());
    EXPECT_EQ(m_dlg.m_vecChanges, (std::vector<int>{101, 103, 102}));

    auto* pTree = ControlWidget<QTreeWidget>(dlg, 104);
    ClickTreeRow(pTree, 2);
    ClickTreeRow(pTree, 0, Qt::ControlModifier);
    EXPECT_EQ(m_dlg.GetSelection(104), (std::vector<int>{0, 2}));
    EXPECT_EQ(m_dlg.GetInt(104), 0); // the row last clicked
    ASSERT_FALSE(m_dlg.m_vecListEvents.empty());
    EXPECT_EQ(m_dlg.m_vecListEvents.back(), std::make_pair(104, EListEvent::SelChange));
    DoubleClickAt(pTree->viewport(), pTree->visualItemRect(pTree->topLevelItem(1)).center());
    EXPECT_EQ(m_dlg.m_vecListEvents.back(), std::make_pair(104, EListEvent::DoubleClick));
    EXPECT_EQ(m_dlg.GetSelection(104), std::vector<int>{1});
}

TEST_F(DialogView, AHandlersChangesShowAfterIt) {
    QDialog& dlg = *m_pView;
    m_pView->show();
    QTest::mouseClick(ControlWidget<QPushButton>(dlg, 105), Qt::LeftButton);
    EXPECT_EQ(m_dlg.m_vecCommands, std::vector<int>{105});
    EXPECT_EQ(ControlWidget<QLineEdit>(dlg, 100)->text(), "APPLY");
    auto* pTree = ControlWidget<QTreeWidget>(dlg, 104);
    EXPECT_EQ(TreeRows(pTree), QStringList{"four|4"});
    EXPECT_TRUE(pTree->topLevelItem(0)->isSelected());
    EXPECT_FALSE(ControlWidget<QComboBox>(dlg, 101)->isEnabled());
    EXPECT_FALSE(ControlWidget<QLabel>(dlg, 106)->isVisible());
    EXPECT_EQ(ControlWidget<QGroupBox>(dlg, 107)->title(), QString::fromUtf8("変更後"));
}

TEST_F(DialogView, EnterIsTheOkCommandAndTheModelsResultEndsTheDialog) {
    CModalScript script;
    script.OnDialog("CProbeDlg", [&](QDialog& dlg) {
        QTest::keyClick(ControlWidget<QLineEdit>(dlg, 100), Qt::Key_Return);
    });
    EXPECT_EQ(m_pView->RunModal(), 7);
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(m_dlg.m_vecCommands, std::vector<int>{DIALOG_OK});
}

TEST_F(DialogView, EnterOnAFocusedButtonIsThatButtonsCommand) {
    CModalScript script;
    script.OnDialog("CProbeDlg", [&](QDialog& dlg) {
        auto* pApply = ControlWidget<QPushButton>(dlg, 105);
        pApply->setFocus();
        QTest::keyClick(pApply, Qt::Key_Return);
        QTest::keyClick(&dlg, Qt::Key_Escape);
    });
    EXPECT_EQ(m_pView->RunModal(), DIALOG_CANCEL);
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(m_dlg.m_vecCommands, (std::vector<int>{105, DIALOG_CANCEL}));
}

TEST_F(DialogView, EscapeAndTheCloseBoxAskTheModel) {
    m_dlg.m_nCancelsRefused = 2;
    CModalScript script;
    bool bOpenAfterEscape = false;
    bool bOpenAfterClose = false;
    QString strSelected;
    script.OnDialog("CProbeDlg", [&](QDialog& dlg) {
        auto* pCode = ControlWidget<QLineEdit>(dlg, 100);
        QTest::keyClicks(pCode, "xyz");
        ControlWidget<QPushButton>(dlg, 105)->setFocus();
        QTest::keyClick(&dlg, Qt::Key_Escape);
        bOpenAfterEscape = dlg.isVisible();
        // The model kept it open and put the focus on the edit, text selected.
        strSelected = dlg.focusWidget() == pCode ? pCode->selectedText() : QString();
        dlg.close();
        bOpenAfterClose = dlg.isVisible();
        dlg.close();
    });
    EXPECT_EQ(m_pView->RunModal(), DIALOG_CANCEL);
    EXPECT_TRUE(script.Done());
    EXPECT_TRUE(bOpenAfterEscape);
    EXPECT_TRUE(bOpenAfterClose);
    EXPECT_EQ(strSelected, "XYZ");
    EXPECT_EQ(m_dlg.m_vecCommands, (std::vector<int>{DIALOG_CANCEL, DIALOG_CANCEL, DIALOG_CANCEL}));
}

// Each dialog's form has a widget of the right class for every control of its table.
TEST(DialogForms, EveryFormBindsEveryControlOfItsTable) {
    CQtUi ui;
    NODEPARAM defParam{};
    CParamEditor paramEditor(defParam);
    std::vector<CIpSearchList> listA, listB;
    CIpSearchDlg ipSearch(listA, listB);
    std::vector<uint8_t> vecReply(232, 0);
    CVersionInfoDlg versionInfo(vecReply.data(), vecReply.size());
    COXPropSheet sheet(defParam);
    CStartProgramDlg startPrograms;
    CGeneralItemsDlg generalItems;
    CSnmpDlg snmp;
    for (CDialogModel* pModel : std::vector<CDialogModel*>{
             &paramEditor, &ipSearch, &versionInfo, &sheet, &startPrograms, &generalItems, &snmp}) {
        auto pView = CDialogView::Create(*pModel, ui, nullptr);
        ASSERT_NE(pView, nullptr) << pModel->GetDialogName();
        EXPECT_EQ(pView->objectName(), pModel->GetDialogName());
        EXPECT_EQ(pView->GetUnboundControls(), std::vector<int>{}) << pModel->GetDialogName();
        // And no widget stands for a control the table does not know (a typo).
        std::set<int> setKnown;
        for (const SControl& control : pModel->GetControls()) {
            setKnown.insert(control.nId);
            setKnown.insert(control.vecMembers.begin(), control.vecMembers.end());
        }
        for (QWidget* pWidget : pView->findChildren<QWidget*>(QRegularExpression("^id\\d+$"))) {
            int nId = pWidget->objectName().mid(2).toInt();
            EXPECT_EQ(setKnown.count(nId), 1u) << pModel->GetDialogName() << " id" << nId;
        }
        EXPECT_GT(pModel->GetControls().size(), 10u);
    }
}

TEST(ApplyInputRules, KeepsTheTextAroundAnInsertAndCutsOnlyTheInsert) {
    SControl hex = SControl::Of(1, ECtl::HexEdit, 4);
    int nCursor = 3;
    EXPECT_EQ(ApplyInputRules(hex, "0A", "0Af", nCursor), "0AF");
    EXPECT_EQ(nCursor, 3);
    nCursor = 2;
    EXPECT_EQ(ApplyInputRules(hex, "0A", "0G", nCursor), "0");
    EXPECT_EQ(nCursor, 1);
    // Inserted in the middle of a full edit: the tail stays, the insert goes.
    nCursor = 3;
    EXPECT_EQ(ApplyInputRules(hex, "0D0A", "0DF0A", nCursor), "0D0A");
    EXPECT_EQ(nCursor, 2);
    // A paste keeps what fits.
    nCursor = 5;
    EXPECT_EQ(ApplyInputRules(hex, "0", "0abcd", nCursor), "0ABC");
    EXPECT_EQ(nCursor, 4);

    SControl text = SControl::Of(2, ECtl::Edit, 5);
    // "あい" is four bytes: a two-byte "う" does not fit, a one-byte "ｱ" does,
    // and a double-byte character is never split.
    nCursor = 3;
    EXPECT_EQ(ApplyInputRules(text, "あい", "あいう", nCursor), "あい");
    EXPECT_EQ(nCursor, 2);
    nCursor = 3;
    EXPECT_EQ(ApplyInputRules(text, "あい", "あいｱ", nCursor), "あいｱ");
    EXPECT_EQ(nCursor, 3);
    // A character CP932 cannot hold is left out.
    nCursor = 3;
    EXPECT_EQ(ApplyInputRules(text, "a", QString::fromUtf8("a\U0001F600"), nCursor), "a");
    EXPECT_EQ(nCursor, 1);
    // Deleting is never refused, even from a text over the limit.
    nCursor = 6;
    EXPECT_EQ(ApplyInputRules(text, "abcdefg", "abcdef", nCursor), "abcdef");
    EXPECT_EQ(nCursor, 6);
}
