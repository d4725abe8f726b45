#include "params/DefaultParamSheet.h"
#include "DocFixture.h"
#include "SampleParam.h"
#include "ScratchDir.h"
#include "ScriptedUi.h"
#include "app/CommandTable.h"
#include "ops/DefaultParams.h"
#include "params/ParamControls.h"
#include "params/ParamEditor.h"
#include "params/ParamFields.h"
#include "params/ParamFile.h"
#include "platform/Cp932.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {
std::vector<std::string> Utf8Items(const CDialogModel& dlg, int nId) {
    std::vector<std::string> vec;
    for (const std::string& str : dlg.GetItems(nId)) {
        vec.push_back(Cp932ToUtf8Lossy(str));
    }
    return vec;
}

Bytes FieldBytes(const void* pField, size_t nSize) {
    const auto* p = static_cast<const uint8_t*>(pField);
    return Bytes(p, p + nSize);
}

// The sheet over a copy of the sample record, operated directly.
class DefaultParamSheet : public ::testing::Test {
protected:
    DefaultParamSheet() : m_param(SampleParam()), m_sheet(m_param) {}

    CScriptedUi m_ui;
    NODEPARAM m_param;
    COXPropSheet m_sheet;
};
} // namespace

TEST_F(DefaultParamSheet, TitleButtonsAndEveryControlWithItsKindAndLimit) {
    EXPECT_EQ(m_sheet.GetTitle(), "ﾃﾞﾌｫﾙﾄﾊﾟﾗﾒｰﾀの設定");
    EXPECT_EQ(m_sheet.GetCaption(DIALOG_OK), "OK");
    EXPECT_EQ(m_sheet.GetCaption(DIALOG_CANCEL), "キャンセル");
    EXPECT_EQ(m_sheet.GetCaption(IDC_SHEET_APPLY), "適用(&A)");
    EXPECT_EQ(m_sheet.FindControl(9), nullptr); // no Help button

    struct SExpected {
        int nId;
        ECtl eKind;
        size_t nLimit;
    };
    const SExpected expected[] = {
        {1127, ECtl::DigitsEdit, 5}, {1128, ECtl::Edit, 15},      {1129, ECtl::DigitsEdit, 5},
        {1135, ECtl::DigitsEdit, 3}, {1150, ECtl::DigitsEdit, 4}, {1164, ECtl::DropList, 0},
        {1137, ECtl::DropList, 0},   {1138, ECtl::DigitsEdit, 3}, {1139, ECtl::Edit, 15},
        {1140, ECtl::Edit, 15},      {1141, ECtl::HexEdit, 4},    {1151, ECtl::DigitsEdit, 3},
        {1130, ECtl::DropList, 0},   {1131, ECtl::DropList, 0},   {1132, ECtl::DropList, 0},
        {1133, ECtl::DropList, 0},   {1134, ECtl::DropList, 0},   {1146, ECtl::HexEdit, 4},
        {1163, ECtl::DropList, 0},   {1165, ECtl::DropList, 0},   {1148, ECtl::DigitsEdit, 4},
        {1142, ECtl::Edit, 12},      {1143, ECtl::Edit, 12},      {1144, ECtl::DropList, 0},
        {1145, ECtl::DropList, 0},   {1136, ECtl::Button, 0},     {1147, ECtl::Button, 0},
        {1149, ECtl::Button, 0},     {1, ECtl::Button, 0},        {2, ECtl::Button, 0},
        {12321, ECtl::Button, 0},
    };
    for (const SExpected& e : expected) {
        const SControl* pControl = m_sheet.FindControl(e.nId);
        ASSERT_NE(pControl, nullptr) << e.nId;
        EXPECT_EQ(pControl->eKind, e.eKind) << e.nId;
        EXPECT_EQ(pControl->nLimit, e.nLimit) << e.nId;
    }
    for (int nId : {1136, 1147, 1149}) {
        EXPECT_EQ(m_sheet.GetCaption(nId), "設定画面") << nId;
    }
    // The page is the sheet's one tab; groups and labels as the page shows them.
    EXPECT_EQ(m_sheet.GetCaption(IDC_PRM_PAGE), "MRV-620ｼﾘｰｽﾞ");
    EXPECT_EQ(m_sheet.GetCaption(IDC_PRM_GROUP_LAN), "LAN設定");
    EXPECT_EQ(m_sheet.GetCaption(IDC_PRM_GROUP_SERIAL), "シリアル設定");
    EXPECT_EQ(m_sheet.GetCaption(IDC_PRM_GROUP_SYSTEM), "システム設定");
    const std::map<int, std::string> labels = {
        {1127, "自ﾎﾟｰﾄ番号"},
        {1128, "宛先IPｱﾄﾞﾚｽ"},
        {1129, "宛先ﾎﾟｰﾄ番号"},
        {1135, "ｺﾈｸﾄﾀｲﾏ"},
        {1150, "MTU"},
        {1164, "ｵｰﾄﾈｺﾞｼｴｰｼｮﾝ"},
        {1137, "通信ﾄﾘｶﾞﾌﾗｸﾞ"},
        {1138, "無通信監視ﾀｲﾏ"},
        {1139, "ﾕｰｻﾞ名"},
        {1140, "ﾊﾟｽﾜｰﾄﾞ"},
        {1141, "ﾌｧｲﾙﾀｰﾐﾈｰﾀ"},
        {1151, "ｷｰﾌﾟｱﾗｲﾌﾞﾀｲﾏ"},
        {1130, "ﾎﾞｰﾚｰﾄ"},
        {1131, "ﾃﾞｰﾀ長"},
        {1132, "ｽﾄｯﾌﾟﾋﾞｯﾄ"},
        {1133, "ﾊﾟﾘﾃｨ"},
        {1134, "ﾌﾛｰ制御"},
        {1146, "ﾚｺｰﾄﾞﾀｰﾐﾈｰﾀ"},
        {1163, "ｺﾈｸｼｮﾝ情報通知"},
        {1165, "ｺﾈｸｼｮﾝ監視"},
        {1148, "ｱｲﾄﾞﾙﾀｲﾏ"},
        {1142, "LANﾃﾞﾌｫﾙﾄﾌﾟﾛﾄｺﾙ"},
        {1143, "RSﾃﾞﾌｫﾙﾄﾌﾟﾛﾄｺﾙ"},
        {1144, "BOOTP有効ﾌﾗｸﾞ"},
        {1145, "DHCP有効ﾌﾗｸﾞ"},
        {1136, "起動ﾌﾟﾛｸﾞﾗﾑ名"},
        {1147, "汎用設定項目"},
        {1149, "SNMP設定"},
    };
    for (const auto& [nId, strLabel] : labels) {
        ASSERT_NE(m_sheet.FindControl(LabelOf(nId)), nullptr) << nId;
        EXPECT_EQ(m_sheet.GetCaption(LabelOf(nId)), strLabel) << nId;
    }
    EXPECT_EQ(Utf8Items(m_sheet, 1164), (std::vector<std::string>{"自動", "100M固定", "10M固定"}));
    for (int nId : {1137, 1163, 1165, 1144, 1145}) {
        EXPECT_EQ(Utf8Items(m_sheet, nId), (std::vector<std::string>{"無効", "有効"})) << nId;
    }
    EXPECT_EQ(Utf8Items(m_sheet, 1131), (std::vector<std::string>{"7ﾋﾞｯﾄ", "8ﾋﾞｯﾄ"}));
    EXPECT_EQ(Utf8Items(m_sheet, 1132), (std::vector<std::string>{"1ﾋﾞｯﾄ", "2ﾋﾞｯﾄ"}));
    EXPECT_EQ(Utf8Items(m_sheet, 1133), (std::vector<std::string>{"なし", "奇数", "偶数"}));
    EXPECT_EQ(Utf8Items(m_sheet, 1134), (std::vector<std::string>{"なし", "Xon/Xoff", "ﾊｰﾄﾞｳｪｱ"}));
    std::vector<std::string> vecRates = Utf8Items(m_sheet, 1130);
    ASSERT_EQ(vecRates.size(), 14u);
    EXPECT_EQ(vecRates.front(), "110bps");
    EXPECT_EQ(vecRates[3], "2,400bps");
    EXPECT_EQ(vecRates.back(), "921,600bps");
}

TEST_F(DefaultParamSheet, PageShowsTheDefaults) {
    const std::map<int, std::string> texts = {
        {1127, "258"},
        {1128, "10.0.0.1"},
        {1129, "10001"},
        {1135, "60"},
        {1150, "1500"},
        {1138, "240"},
        {1139, "user15-chars-ok"},
        {1140, "pass\x82\xA0"},
        {1141, "1A"},
        {1151, "30"},
        {1146, "0D0A"},
        {1148, "4660"},
        {1142, "Telnet"},
        {1143, "Modem"},
    };
    for (const auto& [nId, strText] : texts) {
        EXPECT_EQ(m_sheet.GetText(nId), strText) << nId;
    }
    const std::map<int, int> lists = {{1164, 2}, {1137, 1}, {1130, 13}, {1131, 1},
                                      {1132, 1}, {1133, 2}, {1134, 2},  {1163, 1},
                                      {1165, 1}, {1144, 1}, {1145, 1}};
    for (const auto& [nId, nIndex] : lists) {
        EXPECT_EQ(m_sheet.GetInt(nId), nIndex) << nId;
    }
    EXPECT_FALSE(m_sheet.IsEnabled(IDC_SHEET_APPLY));
}

TEST_F(DefaultParamSheet, EmptyTerminatorShowsEmptyAndSelectorOutsideItsListShowsNoSelection) {
    m_param.byFileTermLen = 0;
    m_param.abFileTerm[0] = 0x1A;
    m_param.byBaudRate = 20;
    m_param.byParity = 3;
    COXPropSheet sheet(m_param);
    EXPECT_EQ(sheet.GetText(IDC_PRM_FILE_TERM), "");
    EXPECT_EQ(sheet.GetInt(IDC_PRM_BAUD_RATE), -1);
    EXPECT_EQ(sheet.GetInt(IDC_PRM_PARITY), -1);
    // Applying stores "no selection" as 255.
    EXPECT_EQ(Press(sheet, m_ui, DIALOG_OK), DIALOG_OK);
    EXPECT_EQ(m_param.byBaudRate, 255);
    EXPECT_EQ(m_param.byParity, 255);
    EXPECT_EQ(m_param.byFileTermLen, 0);
}

TEST_F(DefaultParamSheet, ApplyKeepsTheTerminatorBytesBehindTheirCount) {
    m_param.byRecordTermLen = 1;
    m_param.abRecordTerm[0] = 0x0D;
    m_param.abRecordTerm[1] = 0x0A;
    m_param.byFileTermLen = 0;
    m_param.abFileTerm[0] = 0x1A;
    m_param.abFileTerm[1] = 0x04;
    COXPropSheet sheet(m_param);
    EXPECT_EQ(sheet.GetText(IDC_PRM_RECORD_TERM), "0D");
    Type(sheet, m_ui, IDC_PRM_MTU, "1400");
    Click(sheet, m_ui, IDC_SHEET_APPLY);
    EXPECT_EQ(m_param.wMtu, 1400);
    EXPECT_EQ(FieldBytes(&m_param.byRecordTermLen, 3), (Bytes{0x01, 0x0D, 0x0A}));
    EXPECT_EQ(FieldBytes(&m_param.byFileTermLen, 3), (Bytes{0x00, 0x1A, 0x04}));
    // What is typed replaces only the bytes it counts.
    Type(sheet, m_ui, IDC_PRM_RECORD_TERM, "03");
    Type(sheet, m_ui, IDC_PRM_FILE_TERM, "1B1C");
    EXPECT_EQ(Press(sheet, m_ui, DIALOG_OK), DIALOG_OK);
    EXPECT_EQ(FieldBytes(&m_param.byRecordTermLen, 3), (Bytes{0x01, 0x03, 0x0A}));
    EXPECT_EQ(FieldBytes(&m_param.byFileTermLen, 3), (Bytes{0x02, 0x1B, 0x1C}));
}

TEST_F(DefaultParamSheet, AnyChangeOfThePageEnablesApplyAndApplyDisablesItAgain) {
    Type(m_sheet, m_ui, IDC_PRM_USER_NAME, "x");
    EXPECT_TRUE(m_sheet.IsEnabled(IDC_SHEET_APPLY));
    Click(m_sheet, m_ui, IDC_SHEET_APPLY);
    EXPECT_FALSE(m_sheet.IsEnabled(IDC_SHEET_APPLY));
    EXPECT_EQ(GetTextField(m_param.szUserName), "x");

    Select(m_sheet, m_ui, IDC_PRM_DHCP, 0);
    EXPECT_TRUE(m_sheet.IsEnabled(IDC_SHEET_APPLY));
    Click(m_sheet, m_ui, IDC_SHEET_APPLY);
    EXPECT_EQ(m_param.byDhcp, 0);

    // Every edit and every list counts.
    for (int nId :
         {1127, 1128, 1129, 1135, 1150, 1138, 1139, 1140, 1141, 1151, 1146, 1148, 1142, 1143}) {
        COXPropSheet sheet(m_param);
        Type(sheet, m_ui, nId, "1");
        EXPECT_TRUE(sheet.IsEnabled(IDC_SHEET_APPLY)) << nId;
    }
    for (int nId : {1164, 1137, 1130, 1131, 1132, 1133, 1134, 1163, 1165, 1144, 1145}) {
        COXPropSheet sheet(m_param);
        Select(sheet, m_ui, nId, 0);
        EXPECT_TRUE(sheet.IsEnabled(IDC_SHEET_APPLY)) << nId;
    }
}

TEST_F(DefaultParamSheet, TerminatorEditsTakeHexDigitsOnlyAndShowThemUpperCase) {
    Type(m_sheet, m_ui, IDC_PRM_FILE_TERM, "0dG");
    EXPECT_EQ(m_sheet.GetText(IDC_PRM_FILE_TERM), "0D");
    Type(m_sheet, m_ui, IDC_PRM_RECORD_TERM, "xyz");
    EXPECT_EQ(m_sheet.GetText(IDC_PRM_RECORD_TERM), "");
    Type(m_sheet, m_ui, IDC_PRM_RECORD_TERM, "aBcDeF");
    EXPECT_EQ(m_sheet.GetText(IDC_PRM_RECORD_TERM), "ABCD"); // four at most
    Type(m_sheet, m_ui, IDC_PRM_FILE_TERM,
         "\x82\xA0"
         "1\t");                                          // a CP932 letter is no digit
    EXPECT_EQ(m_sheet.GetText(IDC_PRM_FILE_TERM), "1\t"); // control characters pass
}

TEST_F(DefaultParamSheet, TerminatorOfThreeDigitsStoresOneByteAndAnEmptyOneCountZero) {
    Type(m_sheet, m_ui, IDC_PRM_FILE_TERM, "0D0");
    Type(m_sheet, m_ui, IDC_PRM_RECORD_TERM, "");
    EXPECT_EQ(Press(m_sheet, m_ui, DIALOG_OK), DIALOG_OK);
    EXPECT_EQ(FieldBytes(&m_param.byFileTermLen, 3), (Bytes{0x01, 0x0D, 0x00}));
    // Count 0; the bytes behind the count stay as they were.
    EXPECT_EQ(FieldBytes(&m_param.byRecordTermLen, 3), (Bytes{0x00, 0x0D, 0x0A}));
}

TEST_F(DefaultParamSheet, ApplyCopiesEveryValueOfThePage) {
    NODEPARAM before = m_param;
    Type(m_sheet, m_ui, 1127, "65535");
    Type(m_sheet, m_ui, 1128, "255.255.255.255");
    Type(m_sheet, m_ui, 1129, "0");
    Type(m_sheet, m_ui, 1135, "120");
    Type(m_sheet, m_ui, 1150, "514");
    Type(m_sheet, m_ui, 1138, "0");
    Type(m_sheet, m_ui, 1139, "ab");
    Type(m_sheet, m_ui, 1140, "");
    Type(m_sheet, m_ui, 1141, "0A0B");
    Type(m_sheet, m_ui, 1151, "240");
    Type(m_sheet, m_ui, 1146, "FF");
    Type(m_sheet, m_ui, 1148, "9999");
    Type(m_sheet, m_ui, 1142, "Lan");
    Type(m_sheet, m_ui, 1143, "");
    Select(m_sheet, m_ui, 1164, 0);
    Select(m_sheet, m_ui, 1137, 0);
    Select(m_sheet, m_ui, 1130, 5);
    Select(m_sheet, m_ui, 1131, 0);
    Select(m_sheet, m_ui, 1132, 0);
    Select(m_sheet, m_ui, 1133, 1);
    Select(m_sheet, m_ui, 1134, 1);
    Select(m_sheet, m_ui, 1163, 0);
    Select(m_sheet, m_ui, 1165, 0);
    Select(m_sheet, m_ui, 1144, 0);
    Select(m_sheet, m_ui, 1145, 0);
    Click(m_sheet, m_ui, IDC_SHEET_APPLY);

    const Bytes record = FieldBytes(&m_param, sizeof m_param);
    auto At = [&](size_t nOffset, size_t nSize) {
        return Bytes(record.begin() + long(nOffset), record.begin() + long(nOffset + nSize));
    };
    EXPECT_EQ(At(4, 2), (Bytes{0xFF, 0xFF}));             // own port
    EXPECT_EQ(At(6, 4), (Bytes{0xFF, 0xFF, 0xFF, 0xFF})); // destination
    EXPECT_EQ(At(10, 2), (Bytes{0x00, 0x00}));            // destination port
    EXPECT_EQ(At(20, 3), (Bytes{120, 0, 0}));             // connect, trigger, no-comm
    Bytes user(16, 0);
    user[0] = 'a';
    user[1] = 'b';
    EXPECT_EQ(At(23, 16), user); // the old name's bytes are gone
    EXPECT_EQ(At(39, 16), Bytes(16, 0));
    EXPECT_EQ(At(55, 3), (Bytes{2, 0x0A, 0x0B}));
    EXPECT_EQ(At(58, 4), (Bytes{0, 0, 0, 240}));      // BOOTP, DHCP, auto-negotiation, keep-alive
    EXPECT_EQ(At(62, 2), (Bytes{0x02, 0x02}));        // MTU 514
    EXPECT_EQ(At(329, 5), (Bytes{5, 0, 1, 0, 1}));    // rate, data, parity, stop, flow
    EXPECT_EQ(At(334, 3), (Bytes{1, 0xFF, 0x0A}));    // the byte behind the count kept
    EXPECT_EQ(At(337, 4), (Bytes{0, 0, 0x0F, 0x27})); // notice, watch, idle 9999
    Bytes lan(13, 0);
    lan[0] = 'L';
    lan[1] = 'a';
    lan[2] = 'n';
    EXPECT_EQ(At(561, 13), lan);
    EXPECT_EQ(At(574, 13), Bytes(13, 0));
    // Nothing else: the node-specific values, SNMP, names and items stay.
    const Bytes old = FieldBytes(&before, sizeof before);
    for (auto [nOfs, nSize] : std::vector<std::pair<size_t, size_t>>{
             {0, 4}, {12, 8}, {64, 265}, {341, 220}, {587, 130}}) {
        EXPECT_EQ(At(nOfs, nSize),
                  Bytes(old.begin() + long(nOfs), old.begin() + long(nOfs + nSize)))
            << "offset " << nOfs;
    }
}

TEST_F(DefaultParamSheet, LeavingChecksSixFieldsApplyingAddsTheNoCommunicationTimer) {
    NODEPARAM before = m_param;
    // The timer alone fails only the apply run.
    Type(m_sheet, m_ui, IDC_PRM_NOCOMM_TIMER, "241");
    PressExpectingMessage(m_sheet, m_ui, DIALOG_OK, "無通信監視ﾀｲﾏの値が異常です(0-240)",
                          IDC_PRM_NOCOMM_TIMER);
    // With a bad MTU as well the leave check reports the MTU first, although
    // the apply order would name the timer before it.
    Type(m_sheet, m_ui, IDC_PRM_MTU, "513");
    PressExpectingMessage(m_sheet, m_ui, IDC_SHEET_APPLY, "MTUの値が異常です(514-1500)",
                          IDC_PRM_MTU);
    Type(m_sheet, m_ui, IDC_PRM_MTU, "512");
    PressExpectingMessage(m_sheet, m_ui, DIALOG_OK, "MTUの値が異常です(514-1500)", IDC_PRM_MTU);
    Type(m_sheet, m_ui, IDC_PRM_MTU, "1501");
    PressExpectingMessage(m_sheet, m_ui, DIALOG_OK, "MTUの値が異常です(514-1500)", IDC_PRM_MTU);
    Type(m_sheet, m_ui, IDC_PRM_DEST_IP, "0.1.2.3");
    PressExpectingMessage(m_sheet, m_ui, DIALOG_OK, "宛先IPｱﾄﾞﾚｽの値が異常です", IDC_PRM_DEST_IP);
    // Nothing was copied, and the page is still modified.
    EXPECT_EQ(FieldBytes(&m_param, sizeof m_param), FieldBytes(&before, sizeof before));
    EXPECT_TRUE(m_sheet.IsEnabled(IDC_SHEET_APPLY));

    Type(m_sheet, m_ui, IDC_PRM_DEST_IP, "10.0.0.2");
    Type(m_sheet, m_ui, IDC_PRM_MTU, "1500");
    Type(m_sheet, m_ui, IDC_PRM_NOCOMM_TIMER, "240");
    EXPECT_EQ(Press(m_sheet, m_ui, DIALOG_OK), DIALOG_OK);
    EXPECT_EQ(uint32_t{m_param.dwDestIp}, 0x0A000002u);
}

TEST_F(DefaultParamSheet, PortsAndIntegerFields) {
    Type(m_sheet, m_ui, IDC_PRM_OWN_PORT, "");
    PressExpectingMessage(m_sheet, m_ui, DIALOG_OK, "整数を入力してください。", IDC_PRM_OWN_PORT);
    Type(m_sheet, m_ui, IDC_PRM_OWN_PORT, "65536");
    Type(m_sheet, m_ui, IDC_PRM_DEST_PORT, "99999");
    // The destination port is checked before the own port.
    PressExpectingMessage(m_sheet, m_ui, DIALOG_OK, "宛先ﾎﾟｰﾄの値が異常です(0-65535)",
                          IDC_PRM_DEST_PORT);
    Type(m_sheet, m_ui, IDC_PRM_DEST_PORT, "65535");
    PressExpectingMessage(m_sheet, m_ui, DIALOG_OK, "自ﾎﾟｰﾄの値が異常です(0-65535)",
                          IDC_PRM_OWN_PORT);
    Type(m_sheet, m_ui, IDC_PRM_CONNECT_TIMER, "1");
    PressExpectingMessage(m_sheet, m_ui, DIALOG_OK, "ｺﾈｸﾄﾀｲﾏの値が異常です(2-120)",
                          IDC_PRM_CONNECT_TIMER);
    Type(m_sheet, m_ui, IDC_PRM_CONNECT_TIMER, "2");
    Type(m_sheet, m_ui, IDC_PRM_KEEPALIVE, "241");
    PressExpectingMessage(m_sheet, m_ui, DIALOG_OK, "ｷｰﾌﾟｱﾗｲﾌﾞﾀｲﾏの値が異常です(0-240)",
                          IDC_PRM_KEEPALIVE);
}

TEST_F(DefaultParamSheet, CancelCopiesNothing) {
    NODEPARAM before = m_param;
    Type(m_sheet, m_ui, IDC_PRM_MTU, "600");
    EXPECT_EQ(Press(m_sheet, m_ui, DIALOG_CANCEL), DIALOG_CANCEL);
    EXPECT_EQ(FieldBytes(&m_param, sizeof m_param), FieldBytes(&before, sizeof before));
}

// ------------------------------------------------------------ sub-dialogs from the page

TEST_F(DefaultParamSheet, StartProgramNamesGoStraightIntoTheDefaults) {
    m_ui.ExpectDialog("CStartProgramDlg", [](CDialogModel& dlg, CUi& ui) {
        EXPECT_EQ(dlg.GetTitle(), "起動ﾌﾟﾛｸﾞﾗﾑ名設定");
        EXPECT_EQ(dlg.GetText(1050), "prog0");
        EXPECT_EQ(dlg.GetText(1057), "prog7");
        EXPECT_EQ(dlg.GetText(1059), "prog8");
        EXPECT_EQ(dlg.GetText(1066), "prog15");
        Type(dlg, ui, 1050, "first");
        Type(dlg, ui, 1066, "a-name-longer-than-twelve");
        return Press(dlg, ui, DIALOG_OK);
    });
    Click(m_sheet, m_ui, IDC_PRM_START_PROGRAMS);
    EXPECT_EQ(FieldBytes(m_param.szStartProgram[0], 13),
              (Bytes{'f', 'i', 'r', 's', 't', 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(GetTextField(m_param.szStartProgram[15]), "a-name-longe");
    EXPECT_EQ(GetTextField(m_param.szStartProgram[1]), "prog1");
    EXPECT_TRUE(m_sheet.IsEnabled(IDC_SHEET_APPLY));
}

TEST_F(DefaultParamSheet, CancelledSubDialogChangesNothing) {
    NODEPARAM before = m_param;
    m_ui.ExpectDialog("CGeneralItemsDlg", [](CDialogModel& dlg, CUi& ui) {
        Type(dlg, ui, 1147, "new");
        return Press(dlg, ui, DIALOG_CANCEL);
    });
    m_ui.ExpectDialog("CSnmpDlg", [](CDialogModel& dlg, CUi& ui) {
        Type(dlg, ui, IDC_SNMP_GET_COMMUNITY, "new");
        return Press(dlg, ui, DIALOG_CANCEL);
    });
    Click(m_sheet, m_ui, IDC_PRM_GENERAL_ITEMS);
    Click(m_sheet, m_ui, IDC_PRM_SNMP);
    EXPECT_EQ(FieldBytes(&m_param, sizeof m_param), FieldBytes(&before, sizeof before));
    EXPECT_FALSE(m_sheet.IsEnabled(IDC_SHEET_APPLY));
}

TEST_F(DefaultParamSheet, GeneralItemsOneToEightOnlyTheLastTwoHiddenAndUntouched) {
    m_ui.ExpectDialog("CGeneralItemsDlg", [](CDialogModel& dlg, CUi& ui) {
        EXPECT_EQ(dlg.GetTitle(), "汎用設定項目のﾀﾞｲｱﾛｸﾞ");
        for (int i = 0; i < 8; ++i) {
            EXPECT_EQ(dlg.GetText(1147 + i), "item;" + std::to_string(i));
        }
        for (int nId : {1155, 1156}) {
            EXPECT_FALSE(dlg.IsVisible(nId)) << nId;
            EXPECT_FALSE(dlg.IsEnabled(nId)) << nId;
            EXPECT_EQ(dlg.GetText(nId), "") << nId;
        }
        // Whatever the hidden edits hold is never read.
        dlg.SetText(1155, "nine");
        Type(dlg, ui, 1154, "last-item-15-ch");
        return Press(dlg, ui, DIALOG_OK);
    });
    NODEPARAM before = m_param;
    Click(m_sheet, m_ui, IDC_PRM_GENERAL_ITEMS);
    EXPECT_EQ(
        FieldBytes(m_param.szGeneralItem[7], 16),
        (Bytes{'l', 'a', 's', 't', '-', 'i', 't', 'e', 'm', '-', '1', '5', '-', 'c', 'h', 0}));
    // Only item 8 changed; the bytes after the items (checksum, reserved) did not.
    EXPECT_EQ(FieldBytes(&m_param, 699), FieldBytes(&before, 699));
    EXPECT_EQ(FieldBytes(&m_param.byChecksum, 2), FieldBytes(&before.byChecksum, 2));
}

TEST_F(DefaultParamSheet, SnmpSettingsAreCheckedOnOkAndOnEnterThenStored) {
    m_param.byAuthTrap = 7; // outside its list
    m_ui.ExpectDialog("CSnmpDlg", [](CDialogModel& dlg, CUi& ui) {
        EXPECT_EQ(dlg.GetTitle(), "SNMP設定のﾀﾞｲｱﾛｸﾞ");
        EXPECT_EQ(dlg.GetInt(IDC_SNMP_ENABLE), 1);
        EXPECT_EQ(dlg.GetInt(IDC_SNMP_AUTH_TRAP), -1);
        EXPECT_EQ(dlg.GetText(IDC_SNMP_TRAP_IP), "10.0.0.1");
        EXPECT_EQ(dlg.GetText(IDC_SNMP_OBJECT_ID), "1.3.6.1");
        EXPECT_EQ(dlg.GetText(IDC_SNMP_GET_COMMUNITY), "get");
        EXPECT_EQ(dlg.GetText(IDC_SNMP_SET_COMMUNITY), "set");
        EXPECT_EQ(dlg.GetText(IDC_SNMP_TRAP_COMMUNITY), "trap");
        EXPECT_EQ(dlg.GetText(IDC_SNMP_CONTACT), std::string(64, 'C'));
        EXPECT_EQ(dlg.GetText(IDC_SNMP_LOCATION), "room 1");
        EXPECT_EQ(dlg.GetText(IDC_SNMP_NAME), "node=1");

        Type(dlg, ui, IDC_SNMP_TRAP_IP, "255.255.255.256");
        Type(dlg, ui, IDC_SNMP_GET_COMMUNITY, "");
        PressExpectingMessage(dlg, ui, DIALOG_OK, "Trap先IPの値が異常です", IDC_SNMP_TRAP_IP);
        Type(dlg, ui, IDC_SNMP_TRAP_IP, "192.168.0.1");
        PressExpectingMessage(dlg, ui, DIALOG_OK, "GET用コミュニティ名が異常です",
                              IDC_SNMP_GET_COMMUNITY);
        Type(dlg, ui, IDC_SNMP_GET_COMMUNITY, "public");
        Type(dlg, ui, IDC_SNMP_SET_COMMUNITY, "");
        PressExpectingMessage(dlg, ui, DIALOG_OK, "SET用コミュニティ名が異常です",
                              IDC_SNMP_SET_COMMUNITY);
        Type(dlg, ui, IDC_SNMP_SET_COMMUNITY, "private");
        Type(dlg, ui, IDC_SNMP_TRAP_COMMUNITY, "");
        PressExpectingMessage(dlg, ui, DIALOG_OK, "TRAP用コミュニティ名が異常です",
                              IDC_SNMP_TRAP_COMMUNITY);
        Type(dlg, ui, IDC_SNMP_TRAP_COMMUNITY, "traps");
        Select(dlg, ui, IDC_SNMP_ENABLE, 0);
        Type(dlg, ui, IDC_SNMP_LOCATION, "");
        return Press(dlg, ui, DIALOG_OK);
    });
    Click(m_sheet, m_ui, IDC_PRM_SNMP);
    EXPECT_EQ(m_param.bySnmp, 0);
    EXPECT_EQ(m_param.byAuthTrap, 255);                                   // no selection
    EXPECT_EQ(FieldBytes(&m_param.dwTrapIp, 4), (Bytes{192, 168, 0, 1})); // network order
    EXPECT_EQ(GetTextField(m_param.szGetCommunity), "public");
    EXPECT_EQ(FieldBytes(m_param.szSetCommunity, 16),
              (Bytes{'p', 'r', 'i', 'v', 'a', 't', 'e', 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(GetTextField(m_param.szTrapCommunity), "traps");
    EXPECT_EQ(FieldBytes(m_param.szLocation, 65), Bytes(65, 0));
    EXPECT_EQ(GetTextField(m_param.szObjectId), "1.3.6.1");
    EXPECT_TRUE(m_sheet.IsEnabled(IDC_SHEET_APPLY));
}

TEST_F(DefaultParamSheet, SnmpTrapDestinationZeroPasses) {
    m_ui.ExpectDialog("CSnmpDlg", [](CDialogModel& dlg, CUi& ui) {
        Type(dlg, ui, IDC_SNMP_TRAP_IP, "0.0.0.0");
        return Press(dlg, ui, DIALOG_OK);
    });
    Click(m_sheet, m_ui, IDC_PRM_SNMP);
    EXPECT_EQ(FieldBytes(&m_param.dwTrapIp, 4), (Bytes{0, 0, 0, 0}));
}

// ------------------------------------------------------------ the command

namespace {
class DefaultParamCommand : public CDocFixture {
protected:
    void SetUp() override {
        MakeDoc();
        m_paramFile.m_strPath = m_dir.File("DefParam.ini");
        m_paramFile.LoadParams();
    }
    void RunCommand() {
        SCommandContext ctx{*m_pDoc, m_paramFile, -1};
        FindCommand(ID_DEFAULT_PARAM)->fnHandler(ctx);
    }
    bool IniWritten() const { return CScratchDir::Exists(m_paramFile.m_strPath); }
    std::string Ini() const { return CScratchDir::Read(m_paramFile.m_strPath); }

    CScratchDir m_dir;
    CParamFile m_paramFile;
};
} // namespace

TEST_F(DefaultParamCommand, OkSavesBothSectionsInsideItsBusyScope) {
    m_settings.m_nTimeout = 7000;
    m_ui.ExpectDialog("COXPropSheet", [this](CDialogModel& dlg, CUi& ui) {
        // While the sheet is up: the status text, the main window disabled, the wait cursor.
        EXPECT_EQ(m_ui.m_vecStatus, (std::vector<std::string>{"ﾃﾞﾌｫﾙﾄﾊﾟﾗﾒｰﾀ設定中"}));
        EXPECT_EQ(m_ui.m_vecEnable, (std::vector<bool>{false}));
        EXPECT_EQ(m_ui.m_nWaitCursorDepth, 1);
        Type(dlg, ui, IDC_PRM_MTU, "600");
        return Press(dlg, ui, DIALOG_OK);
    });
    RunCommand();
    EXPECT_EQ(m_ui.m_vecStatus, (std::vector<std::string>{"ﾃﾞﾌｫﾙﾄﾊﾟﾗﾒｰﾀ設定中", "ﾚﾃﾞｨ"}));
    EXPECT_EQ(m_ui.m_vecEnable, (std::vector<bool>{false, true}));
    EXPECT_EQ(m_ui.m_nWaitCursorDepth, 0);
    EXPECT_EQ(uint16_t{m_paramFile.m_param.wMtu}, 600);
    ASSERT_TRUE(IniWritten());
    EXPECT_NE(Ini().find("\r\nMtu=600\r\n"), std::string::npos);
    EXPECT_NE(Ini().find("[Application]\r\n"), std::string::npos);
    EXPECT_NE(Ini().find("\r\nTimeout=7000\r\n"), std::string::npos);
}

TEST_F(DefaultParamCommand, ApplyWritesNoFileOnlyOkDoes) {
    m_ui.ExpectDialog("COXPropSheet", [](CDialogModel& dlg, CUi& ui) {
        Type(dlg, ui, IDC_PRM_MTU, "600");
        Click(dlg, ui, IDC_SHEET_APPLY);
        return Press(dlg, ui, DIALOG_CANCEL);
    });
    RunCommand();
    EXPECT_EQ(uint16_t{m_paramFile.m_param.wMtu}, 600); // applied in memory
    EXPECT_FALSE(IniWritten());

    // Applied values, then OK: now the file is written.
    m_ui.ExpectDialog("COXPropSheet", [this](CDialogModel& dlg, CUi& ui) {
        EXPECT_EQ(dlg.GetText(IDC_PRM_MTU), "600");
        Type(dlg, ui, IDC_PRM_KEEPALIVE, "9");
        Click(dlg, ui, IDC_SHEET_APPLY);
        EXPECT_FALSE(IniWritten());
        return Press(dlg, ui, DIALOG_OK);
    });
    RunCommand();
    ASSERT_TRUE(IniWritten());
    CParamFile reread;
    reread.m_strPath = m_paramFile.m_strPath;
    reread.LoadParams();
    EXPECT_EQ(uint16_t{reread.m_param.wMtu}, 600);
    EXPECT_EQ(reread.m_param.byKeepAlive, 9);
}

TEST_F(DefaultParamCommand, SelectorOutsideItsListIsSavedAs255) {
    CScratchDir::Write(m_paramFile.m_strPath, "[MRV-620_Parameter]\r\nSpeed=20\r\n");
    m_paramFile.LoadParams();
    m_ui.ExpectDialog("COXPropSheet", [](CDialogModel& dlg, CUi& ui) {
        EXPECT_EQ(dlg.GetInt(IDC_PRM_BAUD_RATE), -1);
        return Press(dlg, ui, DIALOG_OK);
    });
    RunCommand();
    EXPECT_EQ(m_paramFile.m_param.byBaudRate, 255);
    EXPECT_NE(Ini().find("\r\nSpeed=255\r\n"), std::string::npos);
}

TEST_F(DefaultParamCommand, SubDialogValuesSurviveACancelledSheetUnwrittenUntilTheNextOk) {
    m_ui.ExpectDialog("COXPropSheet", [this](CDialogModel& dlg, CUi& ui) {
        m_ui.ExpectDialog("CSnmpDlg", [](CDialogModel& snmp, CUi& ui2) {
            Type(snmp, ui2, IDC_SNMP_GET_COMMUNITY, "newget");
            return Press(snmp, ui2, DIALOG_OK);
        });
        Click(dlg, ui, IDC_PRM_SNMP);
        return Press(dlg, ui, DIALOG_CANCEL);
    });
    RunCommand();
    EXPECT_EQ(GetTextField(m_paramFile.m_param.szGetCommunity), "newget");
    EXPECT_FALSE(IniWritten());

    // The next individual setting starts from the new value, and sends it.
    CParamEditor editor(m_paramFile.m_param);
    editor.SetPcAddressFn([](uint32_t) { return std::vector<uint32_t>(); });
    editor.FillForIndividualSetting(0xC0A80A33u, 0xFFFFFF00u, 0xC0A80A01u);
    m_ui.ExpectDialog("CSnmpDlg", [](CDialogModel& dlg, CUi& ui) {
        EXPECT_EQ(dlg.GetText(IDC_SNMP_GET_COMMUNITY), "newget");
        return Press(dlg, ui, DIALOG_CANCEL);
    });
    Click(editor, m_ui, IDC_PED_SNMP);
    EXPECT_EQ(Press(editor, m_ui, IDC_PED_SEND), DIALOG_OK);
    EXPECT_EQ(GetTextField(editor.ReadBack().szGetCommunity), "newget");
    EXPECT_FALSE(IniWritten());

    m_ui.ExpectDialog("COXPropSheet",
                      [](CDialogModel& dlg, CUi& ui) { return Press(dlg, ui, DIALOG_OK); });
    RunCommand();
    EXPECT_NE(Ini().find("\r\nGetComm=newget\r\n"), std::string::npos);
}

TEST_F(DefaultParamCommand, FailedCheckKeepsTheSheetOpenAndWritesNothing) {
    m_ui.ExpectDialog("COXPropSheet", [](CDialogModel& dlg, CUi& ui) {
        Type(dlg, ui, IDC_PRM_MTU, "513");
        PressExpectingMessage(dlg, ui, DIALOG_OK, "MTUの値が異常です(514-1500)", IDC_PRM_MTU);
        return Press(dlg, ui, DIALOG_CANCEL);
    });
    RunCommand();
    EXPECT_EQ(uint16_t{m_paramFile.m_param.wMtu}, 1500);
    EXPECT_FALSE(IniWritten());
}
