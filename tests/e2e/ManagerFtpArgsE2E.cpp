// What the client really sends for the manager's texts: against nodes that log
// every FTP command line they receive, each account and file name arrives
// as one argument, byte for byte.
#include "ManagerFtpFixture.h"
#include "doc/AppInfoDlg.h"
#include "ops/NodeFiles.h"

#include <sstream>

using namespace e2e;

namespace {
const char MAC_BLANKS[] = "0080D4500001"; // 192.168.1.51, "adm in" / "p w"
const char MAC_NONE[] = "0080D4500002";   // 192.168.1.52, no account: "(none)"
const char MAC_NAMES[] = "0080D4500003";  // 192.168.1.53, awkward application names

class ManagerFtpArgs : public CManagerFtpFixture {
protected:
    void SetUp() override {
        CManagerFtpFixture::SetUp();
        m_pDoc->AddOrUpdateNode(0, 0xC0A80133u, MAC_BLANKS, true, "", "");
        m_pDoc->AddOrUpdateNode(0, 0xC0A80134u, MAC_NONE, true, "", "");
        m_pDoc->AddOrUpdateNode(0, 0xC0A80135u, MAC_NAMES, true, "", "");
    }
    // The node's FTP command lines that start with strVerb and a blank.
    std::vector<std::string> Commands(const std::string& strMac, const std::string& strVerb) {
        std::vector<std::string> vec;
        std::istringstream in(Control("FTPLOG " + strMac));
        std::string strLine;
        while (std::getline(in, strLine)) {
            if (strLine.rfind(strVerb + " ", 0) == 0) {
                vec.push_back(strLine);
            }
        }
        return vec;
    }
    // 「ファイル情報」 on one node: its listing arrives.
    void ListsFiles(int nNode) {
        std::string strListing;
        ExpectListing(&strListing);
        ShowNodeFiles(*m_pDoc, nNode);
        EXPECT_TRUE(Contains(strListing, " mrv620.krn\n")) << strListing;
    }
};
} // namespace

TEST_F(ManagerFtpArgs, AccountWithBlanksArrivesWhole) {
    ListsFiles(0);
    // The connection check and the client, each once.
    EXPECT_EQ(Commands(MAC_BLANKS, "USER"), (std::vector<std::string>(2, "USER adm in")));
    EXPECT_EQ(Commands(MAC_BLANKS, "PASS"), (std::vector<std::string>(2, "PASS p w")));
    EXPECT_EQ(Commands(MAC_BLANKS, "LIST"), std::vector<std::string>{"LIST ."});
    EXPECT_EQ(NodeMode(MAC_BLANKS), "0");
}

TEST_F(ManagerFtpArgs, EmptyPasswordIsSentEmptyAndTheListingRuns) {
    ListsFiles(1);
    EXPECT_EQ(Commands(MAC_NONE, "USER"), (std::vector<std::string>(2, "USER (none)")));
    EXPECT_EQ(Commands(MAC_NONE, "PASS"), (std::vector<std::string>(2, "PASS ")));
    EXPECT_EQ(Commands(MAC_NONE, "LIST"), std::vector<std::string>{"LIST ."});
    EXPECT_EQ(NodeMode(MAC_NONE), "0");
}

TEST_F(ManagerFtpArgs, EachChosenNameIsDeletedWholeAndNothingElse) {
    m_ui.ExpectDialog("CAppInfoDlg", [](CDialogModel& dlg, CUi& ui) {
        EXPECT_EQ(dlg.GetItems(IDC_APPINFO_INSTALLED),
                  (std::vector<std::string>{"V1.00 ONE.mot", "V1.00 \"q q\"", "V1.00 \\x",
                                            "V1.00 a b", "V1.00 x,ONE.mot"}));
        for (int nRow = 1; nRow <= 4; ++nRow) {
            DoubleClick(dlg, ui, IDC_APPINFO_INSTALLED, nRow);
        }
        return Press(dlg, ui, DIALOG_OK);
    });
    m_ui.ExpectMessage("「\"q q\"」\r\n「\\x」\r\n「a b」\r\n「x,ONE.mot」\r\n\r\n"
                       "以上のアプリケーションを削除します。\r\n"
                       "よろしければ「OK」ボタンを押してください。",
                       EMsgAnswer::Ok);
    std::string strListing;
    ExpectListing(&strListing);
    DeleteNodeApplications(*m_pDoc, 2);
    // FTPLOG writes a backslash doubled.
    EXPECT_EQ(
        Commands(MAC_NAMES, "DELE"),
        (std::vector<std::string>{"DELE \"q q\"", "DELE \\\\x", "DELE a b", "DELE x,ONE.mot"}));
    std::string strState = Control("STATE " + std::string(MAC_NAMES));
    EXPECT_TRUE(Contains(strState, "\nfile app \"ONE.mot\" 1024 1.00 sum=0000\nfaults"))
        << strState;
    EXPECT_TRUE(Contains(strListing, "V1.00 ONE.mot\n")) << strListing;
    EXPECT_EQ(NodeMode(MAC_NAMES), "0");
}
