// The manager's downloads and file commands against a real FTP server that
// nobody on this team wrote: vsftpd on the node's address, the node itself
// simulated for everything but FTP (mrvsim's own FTP server moved aside).
#include "ManagerFtpFixture.h"
#include "VsftpdServer.h"
#include "doc/AppInfoDlg.h"
#include "ops/NodeDownload.h"
#include "ops/NodeFiles.h"

#include <algorithm>

using namespace e2e;

namespace {
const char MAC_NODE[] = "0080D4400001"; // 192.168.1.41, user/secret
const char NODE_IP[] = "192.168.1.41";
// Another image of the same size as GOOD_IMAGE: the older file a node may hold.
const std::string OLDER_IMAGE = "S0100000544553544150502056312E303198\r\n"
                                "S1130000000102030405060708090A0B0C0D0E0F74\r\n"
                                "S9030000FC\r\n";

std::vector<std::string> Matching(const std::vector<std::string>& vec, const std::string& strHead) {
    std::vector<std::string> vecOut;
    std::copy_if(vec.begin(), vec.end(), std::back_inserter(vecOut),
                 [&](const std::string& str) { return str.rfind(strHead, 0) == 0; });
    return vecOut;
}

class ManagerVsftpd : public CManagerFtpFixture {
protected:
    void SetUp() override {
        CManagerFtpFixture::SetUp();
        m_pDoc->AddOrUpdateNode(0, 0xC0A80129u, MAC_NODE, true, "", "");
    }
    void TearDown() override {
        CManagerFtpFixture::TearDown();
        m_pServer.reset();
    }
    // vsftpd on the node's address, with the account the node's record names
    // unless the options say otherwise.
    CVsftpd& Server(SVsftpdOptions options = {}) {
        options.strAddress = NODE_IP;
        m_pServer = std::make_unique<CVsftpd>(m_dir / "vsftpd", options);
        std::string strError;
        EXPECT_TRUE(m_pServer->Start(strError)) << strError;
        return *m_pServer;
    }
    // A single-node application download of this file that ends with this message.
    void Download(const std::string& strPath, const std::string& strMessage,
                  std::string* pstrListing = nullptr) {
        m_ui.ExpectFileChoice(strPath);
        ExpectListing(pstrListing);
        m_ui.ExpectMessage(strMessage);
        DownloadToSelectedNode(*m_pDoc, 0, DOWNLOAD_APPLICATION);
    }

    std::unique_ptr<CVsftpd> m_pServer;
};
} // namespace

TEST_F(ManagerVsftpd, DownloadIsDoneAndTheFileArrivesWholeUnderItsBaseName) {
    CVsftpd& server = Server();
    std::string strListing;
    Download(Image("TESTAPP.mot", GOOD_IMAGE), TXT_DOWNLOAD_DONE, &strListing);
    EXPECT_EQ(ReadFile(server.Folder() / "TESTAPP.mot"), GOOD_IMAGE);
    EXPECT_TRUE(Contains(strListing, " user     user           94 ")) << strListing;
    EXPECT_TRUE(Contains(strListing, " TESTAPP.mot\n")) << strListing;
    EXPECT_EQ(Matching(server.Commands(), "STOR"), std::vector<std::string>{"STOR TESTAPP.mot"});
    EXPECT_EQ(NodeMode(MAC_NODE), "0");
}

TEST_F(ManagerVsftpd, WriteProtectedFolderRefusesTheFile) {
    CVsftpd& server = Server();
    server.ProtectFolder();
    Download(Image("TESTAPP.mot", GOOD_IMAGE), PutRefused("553 Could not create file."));
    EXPECT_FALSE(fs::exists(server.Folder() / "TESTAPP.mot"));
    EXPECT_EQ(NodeMode(MAC_NODE), "0");
}

TEST_F(ManagerVsftpd, RefusalIsReportedThoughAnOlderFileOfTheSameNameAndSizeIsListed) {
    CVsftpd& server = Server();
    ASSERT_EQ(OLDER_IMAGE.size(), GOOD_IMAGE.size());
    server.AddFile("TESTAPP.mot", OLDER_IMAGE, 0444);
    server.ProtectFolder();
    std::string strListing;
    Download(Image("TESTAPP.mot", GOOD_IMAGE), PutRefused("553 Could not create file."),
             &strListing);
    EXPECT_TRUE(Contains(strListing, " 94 ")) << strListing;
    EXPECT_EQ(ReadFile(server.Folder() / "TESTAPP.mot"), OLDER_IMAGE);
    EXPECT_EQ(NodeMode(MAC_NODE), "0");
}

TEST_F(ManagerVsftpd, WrongPasswordIsALoginRefusal) {
    SVsftpdOptions options;
    options.strPassword = "not-the-nodes";
    CVsftpd& server = Server(options);
    m_ui.ExpectFileChoice(Image("TESTAPP.mot", GOOD_IMAGE));
    m_ui.ExpectMessage(WithCode(TXT_FTPERR_LOGIN_DENIED, 67));
    m_ui.ExpectMessage(TXT_FTP_CONNECT_FAILED);
    DownloadToSelectedNode(*m_pDoc, 0, DOWNLOAD_APPLICATION);
    EXPECT_TRUE(Matching(server.Commands(), "STOR").empty());
    EXPECT_EQ(NodeMode(MAC_NODE), "0");
}

TEST_F(ManagerVsftpd, LocalNameWithWildcardsSendsTheChosenFile) {
    CVsftpd& server = Server();
    Image("app1.mot", OTHER_IMAGE); // what the wildcard would match
    Download(Image("app[1].mot", GOOD_IMAGE), TXT_DOWNLOAD_DONE);
    EXPECT_EQ(ReadFile(server.Folder() / "app[1].mot"), GOOD_IMAGE);
    EXPECT_FALSE(fs::exists(server.Folder() / "app1.mot"));
    EXPECT_EQ(Matching(server.Commands(), "STOR"), std::vector<std::string>{"STOR app[1].mot"});
    EXPECT_EQ(NodeMode(MAC_NODE), "0");
}

TEST_F(ManagerVsftpd, ServerRefusingActiveModeGetsThePassiveTransfer) {
    SVsftpdOptions options;
    options.bActive = false;
    CVsftpd& server = Server(options);
    Download(Image("TESTAPP.mot", GOOD_IMAGE), TXT_DOWNLOAD_DONE);
    EXPECT_EQ(ReadFile(server.Folder() / "TESTAPP.mot"), GOOD_IMAGE);
    EXPECT_EQ(NodeMode(MAC_NODE), "0");
}

TEST_F(ManagerVsftpd, ServerRefusingPassiveModeGetsTheActiveTransfer) {
    SVsftpdOptions options;
    options.bPassive = false;
    CVsftpd& server = Server(options);
    Download(Image("TESTAPP.mot", GOOD_IMAGE), TXT_DOWNLOAD_DONE);
    EXPECT_EQ(ReadFile(server.Folder() / "TESTAPP.mot"), GOOD_IMAGE);
    EXPECT_FALSE(Matching(server.Commands(), "PORT").empty() &&
                 Matching(server.Commands(), "EPRT").empty());
    EXPECT_EQ(NodeMode(MAC_NODE), "0");
}

TEST_F(ManagerVsftpd, FileInformationListsTheServersFiles) {
    CVsftpd& server = Server();
    server.AddFile("ONE.mot", GOOD_IMAGE);
    server.AddFile("TWO.mot", OTHER_IMAGE);
    std::string strListing;
    ExpectListing(&strListing);
    ShowNodeFiles(*m_pDoc, 0);
    EXPECT_TRUE(Contains(strListing, " user     user           94 ")) << strListing;
    EXPECT_TRUE(Contains(strListing, " ONE.mot\n")) << strListing;
    EXPECT_TRUE(Contains(strListing, " TWO.mot\n")) << strListing;
    EXPECT_EQ(Matching(server.Commands(), "LIST"), std::vector<std::string>{"LIST ."});
    EXPECT_EQ(NodeMode(MAC_NODE), "0");
}

TEST_F(ManagerVsftpd, ApplicationDeletionDeletesExactlyTheChosenFile) {
    CVsftpd& server = Server();
    // vsftpd lists names as they are: a file named in the node's own form
    // ("V1.02 NAME" after the owner "user") makes the dialog offer NAME.
    server.AddFile("OTHER.mot", OTHER_IMAGE);
    server.AddFile("TESTAPP.mot", GOOD_IMAGE);
    server.AddFile("V1.02 TESTAPP.mot", "");
    m_ui.ExpectDialog("CAppInfoDlg", [](CDialogModel& dlg, CUi& ui) {
        EXPECT_EQ(dlg.GetItems(IDC_APPINFO_INSTALLED),
                  std::vector<std::string>{"V1.02 TESTAPP.mot"});
        DoubleClick(dlg, ui, IDC_APPINFO_INSTALLED, 0);
        return Press(dlg, ui, DIALOG_OK);
    });
    m_ui.ExpectMessage("「TESTAPP.mot」\r\n\r\n以上のアプリケーションを削除します。\r\n"
                       "よろしければ「OK」ボタンを押してください。",
                       EMsgAnswer::Ok);
    std::string strListing;
    ExpectListing(&strListing);
    DeleteNodeApplications(*m_pDoc, 0);
    EXPECT_EQ(Matching(server.Commands(), "DELE"), std::vector<std::string>{"DELE TESTAPP.mot"});
    EXPECT_FALSE(fs::exists(server.Folder() / "TESTAPP.mot"));
    EXPECT_EQ(ReadFile(server.Folder() / "OTHER.mot"), OTHER_IMAGE);
    EXPECT_TRUE(fs::exists(server.Folder() / "V1.02 TESTAPP.mot"));
    // The listing after the deletion: the marker alone names TESTAPP.mot.
    EXPECT_EQ(strListing.find("TESTAPP.mot\n"), strListing.rfind("TESTAPP.mot\n")) << strListing;
    EXPECT_TRUE(Contains(strListing, " V1.02 TESTAPP.mot\n")) << strListing;
    EXPECT_EQ(NodeMode(MAC_NODE), "0");
}
