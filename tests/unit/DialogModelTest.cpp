#include "ui/DialogModel.h"
#include "doc/VersionInfoDlg.h"
#include "ops/IpSearchDlg.h"
#include "params/ParamControls.h"
#include "params/ParamEditor.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

TEST(FilterInput, DigitsEditKeepsDigitsOnly) {
    SControl digits = SControl::Of(1, ECtl::DigitsEdit, 5);
    EXPECT_EQ(FilterInput(digits, "1a2-3 4"), "1234");
    EXPECT_EQ(FilterInput(digits, "12345678"), "12345");
    // A double-byte character is never a digit, whatever its second byte.
    EXPECT_EQ(FilterInput(digits, "1\x82\x4F"
                                  "2"),
              "12"); // "０" in CP932
}

TEST(FilterInput, HexEditUpperCasesAndDropsOtherLetters) {
    SControl hex = SControl::Of(1, ECtl::HexEdit, 4);
    EXPECT_EQ(FilterInput(hex, "0d0a"), "0D0A");
    EXPECT_EQ(FilterInput(hex, "0dG"), "0D");
    EXPECT_EQ(FilterInput(hex, "fF g9"), "FF9");
    EXPECT_EQ(FilterInput(hex, "abcdef"), "ABCD");
    // Control characters pass (editing keys reach the edit as characters).
    EXPECT_EQ(FilterInput(hex, std::string("a\x08"
                                           "b",
                                           3)),
              std::string("A\x08"
                          "B",
                          3));
}

TEST(FilterInput, UpperEditUpperCasesSingleByteLettersOnly) {
    SControl upper = SControl::Of(1, ECtl::UpperEdit, 0);
    EXPECT_EQ(FilterInput(upper, "abc-xyz_09"), "ABC-XYZ_09");
    // The second byte of "ａ" (0x82 0x81) is not a letter to upper-case.
    EXPECT_EQ(FilterInput(upper, "\x82\x81z"), "\x82\x81Z");
}

TEST(FilterInput, PlainEditKeepsEverythingUpToItsByteLimit) {
    SControl edit = SControl::Of(1, ECtl::Edit, 5);
    EXPECT_EQ(FilterInput(edit, "aZ!\xB1"), "aZ!\xB1"); // "ｱ" is one byte
    EXPECT_EQ(FilterInput(edit, "abcdefg"), "abcde");
    // "あいう" is six bytes; the limit never splits a double-byte character.
    EXPECT_EQ(FilterInput(edit, "\x82\xA0\x82\xA2\x82\xA4"), "\x82\xA0\x82\xA2");
    EXPECT_EQ(FilterInput(edit, "a\x82\xA0\x82\xA2"), "a\x82\xA0\x82\xA2");
    SControl unlimited = SControl::Of(1, ECtl::Edit);
    EXPECT_EQ(FilterInput(unlimited, std::string(300, 'x')), std::string(300, 'x'));
}

TEST(DialogModel, TableSetsInitialStatesAndCaptionsAndTypingFilters) {
    struct CProbe : CDialogModel {
        CProbe() {
            SetControls({SControl::Of(10, ECtl::HexEdit, 4),
                         SControl::Captioned(11, ECtl::Button, "送信").Disabled(),
                         SControl::Captioned(LabelOf(10), ECtl::Label, "ﾗﾍﾞﾙ").Hidden(),
                         SControl::Radio(12, {13, 14}),
                         SControl::Report(15, {{"名前", 80}}, true)});
        }
        const char* GetDialogName() const override { return "CProbe"; }
        SDialogAction OnCommand(CUi&, int) override { return {}; }
    } probe;
    EXPECT_FALSE(probe.IsEnabled(11));
    EXPECT_TRUE(probe.IsVisible(11));
    EXPECT_FALSE(probe.IsVisible(10010));
    EXPECT_EQ(probe.GetCaption(11), "送信");
    EXPECT_EQ(probe.GetCaption(10010), "ﾗﾍﾞﾙ");
    ASSERT_NE(probe.FindControl(12), nullptr);
    EXPECT_EQ(probe.FindControl(12)->vecMembers, (std::vector<int>{13, 14}));
    ASSERT_NE(probe.FindControl(15), nullptr);
    EXPECT_TRUE(probe.FindControl(15)->bMultiSelect);
    EXPECT_EQ(probe.FindControl(15)->vecColumns.at(0).strTitle, "名前");
    EXPECT_EQ(probe.FindControl(99), nullptr);
    probe.TypeText(10, "0d0aff");
    EXPECT_EQ(probe.GetText(10), "0D0A");
}

namespace {
std::set<int> Ids(const CDialogModel& dlg) {
    std::set<int> set;
    for (const SControl& control : dlg.GetControls()) {
        EXPECT_TRUE(set.insert(control.nId).second) << "twice: " << control.nId;
    }
    return set;
}
} // namespace

TEST(DialogTables, ParamEditorDeclaresItsControlsWithKindsAndLimits) {
    NODEPARAM defParam{};
    CParamEditor dlg(defParam);
    std::set<int> setIds = Ids(dlg);
    for (int nId : {1039, 1027, 1032, 1033, 1040, 1046, 1048, 1041, 1024, 1025, 1030, 1031,
                    1026, 1047, 1050, 1034, 1035, 1036, 1037, 1038, 1051, 1052, 1053, 1045,
                    1028, 1029, 1044, 1043, 1049, 1055, 1054, 1072, 1042, 1058, 1086, 2}) {
        EXPECT_EQ(setIds.count(nId), 1u) << nId;
    }
    auto Kind = [&](int nId) { return dlg.FindControl(nId)->eKind; };
    auto Limit = [&](int nId) { return dlg.FindControl(nId)->nLimit; };
    EXPECT_EQ(Kind(1039), ECtl::Edit);
    EXPECT_EQ(Limit(1039), 15u);
    EXPECT_EQ(Kind(1027), ECtl::DigitsEdit);
    EXPECT_EQ(Limit(1027), 5u);
    EXPECT_EQ(Kind(1048), ECtl::DigitsEdit);
    EXPECT_EQ(Limit(1048), 3u);
    EXPECT_EQ(Kind(1025), ECtl::Edit); // any characters
    EXPECT_EQ(Limit(1025), 3u);
    EXPECT_EQ(Kind(1026), ECtl::HexEdit);
    EXPECT_EQ(Limit(1026), 4u);
    EXPECT_EQ(Kind(1045), ECtl::HexEdit);
    EXPECT_EQ(Limit(1050), 4u);
    EXPECT_EQ(Limit(1053), 4u);
    EXPECT_EQ(Limit(1028), 12u);
    EXPECT_EQ(Limit(1031), 15u);
    EXPECT_EQ(Kind(1034), ECtl::DropList);
    EXPECT_EQ(Kind(1042), ECtl::ReadOnlyEdit);
    EXPECT_EQ(Kind(1058), ECtl::CheckBox);
    EXPECT_EQ(Kind(1054), ECtl::Button);
    EXPECT_EQ(dlg.GetCaption(1049), "設定画面");
    EXPECT_EQ(dlg.GetCaption(1058), "ﾈｯﾄﾜｰｸ外");
    EXPECT_EQ(dlg.GetCaption(1086), "送信");
    EXPECT_EQ(dlg.GetCaption(LabelOf(1046)), "ｹﾞｰﾄｳｪｲｱﾄﾞﾚｽ");
    EXPECT_EQ(dlg.GetCaption(LabelOf(1051)), "ｺﾈｸｼｮﾝ情報通知");
    EXPECT_EQ(dlg.GetCaption(LabelOf(1049)), "起動ﾌﾟﾛｸﾞﾗﾑ名");
    EXPECT_EQ(dlg.GetCaption(IDC_PED_GROUP_SERIAL), "ｼﾘｱﾙ設定");
    // List items are CP932 like every operator-side text: "無効", "有効".
    EXPECT_EQ(dlg.GetItems(1024),
              (std::vector<std::string>{"\x96\xB3\x8C\xF8", "\x97\x4C\x8C\xF8"}));
    EXPECT_EQ(dlg.GetItems(1034).size(), 14u);
    EXPECT_EQ(dlg.GetItems(1034).at(13), "921,600bps");
    EXPECT_EQ(dlg.GetItems(1035).at(1), "8\xCB\xDE\xAF\xC4"); // "8ﾋﾞｯﾄ"
}

TEST(DialogTables, IpSearchAndVersionDialogsDeclareTheirControls) {
    std::vector<CIpSearchList> listA, listB;
    CIpSearchDlg ipSearch(listA, listB);
    std::set<int> setIds = Ids(ipSearch);
    for (int nId = 1300; nId <= 1307; ++nId) {
        EXPECT_EQ(setIds.count(nId), 1u) << nId;
    }
    EXPECT_EQ(ipSearch.GetTitle(), "ＩＰ検索");
    EXPECT_EQ(ipSearch.FindControl(1300)->nLimit, 15u);
    EXPECT_EQ(ipSearch.FindControl(1302)->eKind, ECtl::ListBox);
    EXPECT_EQ(ipSearch.GetCaption(1304), ">>");
    EXPECT_EQ(ipSearch.GetCaption(LabelOf(1306)), "検索対象ＩＰ");

    std::vector<uint8_t> vecReply(232, 0);
    CVersionInfoDlg version(vecReply.data(), vecReply.size());
    setIds = Ids(version);
    EXPECT_EQ(version.GetTitle(), "バージョン情報");
    for (int nRow = 0; nRow < 10; ++nRow) {
        for (int nId : {1126 + 4 * nRow, 1127 + 4 * nRow, 1128 + 4 * nRow, 1208 + nRow}) {
            ASSERT_EQ(setIds.count(nId), 1u) << nId;
            EXPECT_EQ(version.FindControl(nId)->eKind, ECtl::ReadOnlyEdit);
        }
        EXPECT_FALSE(version.IsVisible(1208 + nRow));
        EXPECT_TRUE(version.IsVisible(1126 + 4 * nRow));
    }
    EXPECT_EQ(version.FindControl(1123)->eKind, ECtl::ReadOnlyEdit);
    EXPECT_EQ(version.GetCaption(LabelOf(1124)), "カーネルバージョン：");
    EXPECT_EQ(version.GetCaption(1), "OK");
}
