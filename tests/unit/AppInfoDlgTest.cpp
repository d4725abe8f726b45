// The listing parser and the dialogs that show a node's files and applications.
#include "doc/AppInfoDlg.h"
#include "ScriptedUi.h"
#include "doc/FileInfoDlg.h"
#include "doc/OrvixDoc.h"
#include "platform/Cp932.h"

#include <gtest/gtest.h>

namespace {
using Names = std::vector<std::string>;

CAppInfoDlg DialogOn(const std::string& strListing) {
    return CAppInfoDlg("10.0.0.7", "admin", "pw", strListing);
}
} // namespace

TEST(ListingParser, EntryRunsFromTheVAfterUserToTheLineEnd) {
    EXPECT_EQ(ParseInstalledApps("-rwxr-xr-x 1 user user 94 Jan 1 00:00 V1.02 TESTAPP\r\n"),
              (Names{"V1.02 TESTAPP"}));
    EXPECT_EQ(AppFileName("V1.02 TESTAPP"), "TESTAPP");
    // tnftp ends its lines with LF alone; the node with CR LF.
    EXPECT_EQ(ParseInstalledApps("x user user 1 Jan V1.00 A.mot\n"
                                 "y root root 2 Jan boot.bin\n"
                                 "z user user 3 Jan V2.10 B C.mot\r\n"),
              (Names{"V1.00 A.mot", "V2.10 B C.mot"}));
    EXPECT_EQ(AppFileName("V2.10 B C.mot"), "B C.mot");
    // Searching goes on after the line end, so the owner and group "user
    // user" of one line give one entry.
    EXPECT_EQ(ParseInstalledApps("user user V1 a\nuser user V2 b\n"), (Names{"V1 a", "V2 b"}));
    // No 'V' after "user": the end; the last entry without a line end runs to the end.
    EXPECT_EQ(ParseInstalledApps("user without vee"), Names{});
    EXPECT_EQ(ParseInstalledApps("user user V9.99 LAST"), (Names{"V9.99 LAST"}));
    EXPECT_EQ(ParseInstalledApps("no applications here\r\n"), Names{});
    EXPECT_EQ(AppFileName("V1.00"), "");
}

TEST(ListingParser, EntriesAreCutAt99BytesNeverInsideACharacter) {
    std::string strLong = "V1.00 " + std::string(200, 'N');
    Names vec = ParseInstalledApps("user " + strLong + "\n");
    ASSERT_EQ(vec.size(), 1u);
    EXPECT_EQ(vec[0], strLong.substr(0, 99));
    // 98 single bytes, then a double-byte character that would end at 100.
    std::string strKanji = "V" + std::string(97, 'x') + "\x88\x9f" + "tail";
    vec = ParseInstalledApps("user " + strKanji + "\n");
    ASSERT_EQ(vec.size(), 1u);
    EXPECT_EQ(vec[0], strKanji.substr(0, 98));
}

TEST(AppInfoDialog, AddingTakesTheNameOnceAndEnablesOk) {
    CScriptedUi ui;
    CAppInfoDlg dlg = DialogOn("user V1.02 TESTAPP\r\nuser V1.00 APP2\r\nuser V1.00 APP\r\n");
    EXPECT_FALSE(dlg.IsEnabled(DIALOG_OK));
    Select(dlg, ui, IDC_APPINFO_INSTALLED, 0);
    Click(dlg, ui, IDC_APPINFO_ADD);
    EXPECT_EQ(dlg.GetItems(IDC_APPINFO_DELETE_LIST), Names{"TESTAPP"});
    EXPECT_TRUE(dlg.IsEnabled(DIALOG_OK));
    // The same entry again: no second name.
    Click(dlg, ui, IDC_APPINFO_ADD);
    DoubleClick(dlg, ui, IDC_APPINFO_INSTALLED, 0);
    EXPECT_EQ(dlg.GetItems(IDC_APPINFO_DELETE_LIST), Names{"TESTAPP"});
    // APP beside APP2 is a name of its own.
    DoubleClick(dlg, ui, IDC_APPINFO_INSTALLED, 1);
    DoubleClick(dlg, ui, IDC_APPINFO_INSTALLED, 2);
    EXPECT_EQ(dlg.GetItems(IDC_APPINFO_DELETE_LIST), (Names{"TESTAPP", "APP2", "APP"}));
    EXPECT_EQ(Press(dlg, ui, DIALOG_OK), DIALOG_OK);
    EXPECT_EQ(dlg.GetSelectionText(), "TESTAPP,APP2,APP");
}

TEST(AppInfoDialog, RemovingTheLastNameDisablesOkAndAllAddsEveryName) {
    CScriptedUi ui;
    CAppInfoDlg dlg = DialogOn("user V1 A\nuser V2 B\nuser V3 C\n");
    Click(dlg, ui, IDC_APPINFO_ALL);
    EXPECT_EQ(dlg.GetItems(IDC_APPINFO_DELETE_LIST), (Names{"A", "B", "C"}));
    Select(dlg, ui, IDC_APPINFO_DELETE_LIST, 1);
    Click(dlg, ui, IDC_APPINFO_REMOVE);
    EXPECT_EQ(dlg.GetItems(IDC_APPINFO_DELETE_LIST), (Names{"A", "C"}));
    DoubleClick(dlg, ui, IDC_APPINFO_DELETE_LIST, 0);
    DoubleClick(dlg, ui, IDC_APPINFO_DELETE_LIST, 0);
    EXPECT_TRUE(dlg.GetItems(IDC_APPINFO_DELETE_LIST).empty());
    EXPECT_FALSE(dlg.IsEnabled(DIALOG_OK));
    // ALL again adds only what is missing.
    DoubleClick(dlg, ui, IDC_APPINFO_INSTALLED, 2);
    Click(dlg, ui, IDC_APPINFO_ALL);
    EXPECT_EQ(dlg.GetItems(IDC_APPINFO_DELETE_LIST), (Names{"C", "A", "B"}));
    EXPECT_EQ(Press(dlg, ui, DIALOG_CANCEL), DIALOG_CANCEL);
    EXPECT_EQ(dlg.GetSelectionText(), "");
}

TEST(AppInfoDialog, NamesAndTheSelectionStayWithinTheirBuffers) {
    CScriptedUi ui;
    // 19 bytes fit the name buffer; 20 would be cut to another name.
    CAppInfoDlg dlg =
        DialogOn("user V1 " + std::string(19, 'A') + "\nuser V1 " + std::string(20, 'B') + "\n");
    DoubleClick(dlg, ui, IDC_APPINFO_INSTALLED, 0);
    EXPECT_EQ(dlg.GetItems(IDC_APPINFO_DELETE_LIST), Names{std::string(19, 'A')});
    Select(dlg, ui, IDC_APPINFO_INSTALLED, 1);
    PressExpectingMessage(dlg, ui, IDC_APPINFO_ADD,
                          "ﾌｧｲﾙ名が19文字を超えるため、削除リストに追加できません",
                          IDC_APPINFO_INSTALLED);
    EXPECT_EQ(dlg.GetItems(IDC_APPINFO_DELETE_LIST).size(), 1u);

    // 13 names of 19 bytes and their commas make 259 bytes: the 13th does not fit 255.
    std::string strListing;
    for (char c = 'A'; c < 'A' + 13; ++c) {
        strListing += "user V1 " + std::string(18, c) + "1\n";
    }
    CAppInfoDlg dlgMany = DialogOn(strListing);
    PressExpectingMessage(dlgMany, ui, IDC_APPINFO_ALL,
                          "削除リストが一杯のため、これ以上追加できません", IDC_APPINFO_INSTALLED);
    EXPECT_EQ(dlgMany.GetItems(IDC_APPINFO_DELETE_LIST).size(), 12u);
    EXPECT_EQ(Press(dlgMany, ui, DIALOG_OK), DIALOG_OK);
    EXPECT_EQ(dlgMany.GetSelectionText().size(), 12u * 19u + 11u);
}

// Found by fuzzing: an entry cut to 99 bytes for the list cut its name too,
// and the cut name, short enough, went into the delete list: a name the node
// never listed, or another file's.
TEST(AppInfoDialog, ANameIsTakenWholeFromAnEntryCutForTheList) {
    CScriptedUi ui;
    CAppInfoDlg dlg = DialogOn("user V" + std::string(85, 'x') + " ABCDEFGHIJKLMNOPQRSTUVWXYZ\r\n");
    ASSERT_EQ(dlg.GetItems(IDC_APPINFO_INSTALLED)[0].size(), 99u);
    Select(dlg, ui, IDC_APPINFO_INSTALLED, 0);
    PressExpectingMessage(dlg, ui, IDC_APPINFO_ADD,
                          "ﾌｧｲﾙ名が19文字を超えるため、削除リストに追加できません",
                          IDC_APPINFO_INSTALLED);
    EXPECT_TRUE(dlg.GetItems(IDC_APPINFO_DELETE_LIST).empty());
    // A whole name behind a long version text is still taken as it is.
    CAppInfoDlg dlgShort = DialogOn("user V" + std::string(100, '9') + " APP.mot\n");
    DoubleClick(dlgShort, ui, IDC_APPINFO_INSTALLED, 0);
    EXPECT_EQ(dlgShort.GetItems(IDC_APPINFO_DELETE_LIST), Names{"APP.mot"});
}

TEST(AppInfoDialog, ConfirmationOfTheLongestSelectionFitsItsBuffer) {
    // The most lines a 255-byte selection can give: 128 one-byte names.
    std::vector<std::string> vecNames(128, "x");
    std::string strText = COrvixDoc::ComposeDeleteConfirmation(vecNames);
    size_t nLines = 0;
    for (size_t n = strText.find("「x」\r\n"); n != std::string::npos;
         n = strText.find("「x」\r\n", n + 1)) {
        ++nLines;
    }
    EXPECT_EQ(nLines, 128u);
    // In CP932 (as the message buffer holds it): 128 lines of 7 bytes and the
    // 82-byte question, within 1023.
    std::string strCp932;
    ASSERT_TRUE(Utf8ToCp932(strText, strCp932));
    EXPECT_EQ(strCp932.size(), 128u * 7u + 82u);
}

TEST(AppInfoDialog, ListingWithoutUserEndsAtOnceWithAnEmptySelection) {
    CScriptedUi ui;
    ui.ExpectMessage("ユーザアプリケーションが搭載されていません。");
    CAppInfoDlg dlg = DialogOn("-r--r--r-- 1 root root 717 Jan 1 00:00 param.dat\n");
    EXPECT_EQ(dlg.Run(ui), DIALOG_OK);
    EXPECT_EQ(dlg.GetSelectionText(), "");
    EXPECT_TRUE(ui.m_vecDialogs.empty());
    EXPECT_EQ(dlg.m_strHost, "10.0.0.7");
    EXPECT_EQ(dlg.m_strUser, "admin");
}

TEST(FileInfoDialog, ShowsTheListingReadOnly) {
    CScriptedUi ui;
    CFileInfoDlg dlg(std::string("a\r\nb\n"));
    EXPECT_EQ(dlg.GetText(IDC_FILEINFO_TEXT), "a\r\nb\n");
    ASSERT_NE(dlg.FindControl(IDC_FILEINFO_TEXT), nullptr);
    EXPECT_EQ(dlg.FindControl(IDC_FILEINFO_TEXT)->eKind, ECtl::ReadOnlyEdit);
    ui.ExpectDialog("CFileInfoDlg", [](CDialogModel& d, CUi& u) { return Press(d, u, DIALOG_OK); });
    EXPECT_EQ(dlg.Run(ui), DIALOG_OK);
}
