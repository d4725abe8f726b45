// S-record checking, the directory listing and the FTP dialogue of a node.
#include "FtpSession.h"
#include "SRecord.h"
#include "SimFiles.h"
#include "SimNode.h"

#include <gtest/gtest.h>

namespace {
// "TESTAPP V1.02" header, 16 data bytes 00..0F, end record.
const std::string GOOD_IMAGE = "S0100000544553544150502056312E303297\r\n"
                               "S1130000000102030405060708090A0B0C0D0E0F74\r\n"
                               "S9030000FC\r\n";
const SimMac MAC_A{0x00, 0x80, 0xD4, 0x12, 0x34, 0x56};
constexpr uint32_t PEER_IP = 0x0A3E0001u; // 10.62.0.1

std::string Step(CSimFtpSession& session, const std::string& strLine) {
    return session.OnLine(strLine).strReply;
}
} // namespace

TEST(SimSRecord, GoodImageGivesSizeSumAndHeaderVersion) {
    SSRecordImage image = SRecordParse(GOOD_IMAGE);
    ASSERT_TRUE(image.bValid) << image.strError;
    EXPECT_EQ(image.strHeader, "TESTAPP V1.02");
    EXPECT_EQ(image.nDataBytes, 16u);
    EXPECT_EQ(image.wSum, 120u);
    EXPECT_EQ(image.nMajor, 1);
    EXPECT_EQ(image.nMinor, 2);

    // LF line ends, lower-case digits, S2/S3 addresses and a bare version number.
    SSRecordImage other = SRecordParse("S00900004B5220323130A6\n"
                                       "S2080100000102030AE6\n"
                                       "s\n");
    EXPECT_FALSE(other.bValid);
    EXPECT_EQ(other.strError, "line 3: not an S-record");
    SSRecordImage wide = SRecordParse("S00900004B5220323130A6\nS2080100000102030ae6\n"
                                      "S3090000000001020304EC\nS70500000000FA\n");
    ASSERT_TRUE(wide.bValid) << wide.strError;
    EXPECT_EQ(wide.strHeader, "KR 210");
    EXPECT_EQ(wide.nMajor, 1); // "210" holds no M.mm version
    EXPECT_EQ(wide.nDataBytes, 8u);
}

TEST(SimSRecord, DefectsAreRefusedWithTheirLine) {
    auto error = [](const std::string& str) { return SRecordParse(str).strError; };
    EXPECT_EQ(error("S0100000544553544150502056312E303297\n"
                    "S1130000000102030405060708090A0B0C0D0E0F75\n"),
              "line 2: checksum error");
    EXPECT_EQ(error("S1120000000102030405060708090A0B0C0D0E0F74\n"),
              "line 1: byte count does not match");
    EXPECT_EQ(error("S11300000001020304050607080G0A0B0C0D0E0F74\n"), "line 1: not hexadecimal");
    EXPECT_EQ(error("S4030000FC\n"), "line 1: unknown record type");
    EXPECT_EQ(error("S1130000000102030405060708090A0B0C0D0E0F7\n"), "line 1: odd number of digits");
    EXPECT_EQ(error("S0100000544553544150502056312E303297\nS9030000FC\n"),
              "line 3: no data records");
    EXPECT_EQ(error(""), "line 1: no data records");
}

TEST(SimListing, LinesAreFixedAndOnlyApplicationsSayUser) {
    SSimFile kernel{"mrv620.krn", ESimFileKind::Kernel, 262144, 2, 10, 0, {}, false};
    SSimFile app{"TESTAPP.mot", ESimFileKind::UserApp, 94, 1, 2, 120, {}, true};
    SSimFile data{"notes.txt", ESimFileKind::Data, 5, 1, 0, 0, {}, true};
    EXPECT_EQ(SimFormatListingLine(kernel),
              "-r--r--r--   1 root     root         262144 Jan  1 00:00 mrv620.krn\r\n");
    EXPECT_EQ(SimFormatListingLine(app),
              "-rwxr-xr-x   1 user     user             94 Jan  1 00:00 V1.02 TESTAPP.mot\r\n");
    EXPECT_EQ(SimFormatListingLine(data),
              "-rw-r--r--   1 ftp      ftp               5 Jan  1 00:00 notes.txt\r\n");

    CSimFileStore store;
    store.Put(kernel);
    store.Put(app);
    store.Put(data);
    std::string strAll =
        SimFormatListingLine(kernel) + SimFormatListingLine(app) + SimFormatListingLine(data);
    // The argument of LIST is a name filter; what matches nothing lists nothing.
    EXPECT_EQ(store.FormatListing(), strAll);
    EXPECT_EQ(store.FormatListing("."), strAll);
    EXPECT_EQ(store.FormatListing("notes.txt"), SimFormatListingLine(data));
    EXPECT_EQ(store.FormatListing(">"), "");
    EXPECT_EQ(store.FormatNames(), "mrv620.krn\r\nTESTAPP.mot\r\nnotes.txt\r\n");
    EXPECT_EQ(store.FormatNames("*.mot"), "TESTAPP.mot\r\n");
}

TEST(SimListing, FilterPatterns) {
    struct SCase {
        const char* pszFilter;
        const char* pszName;
        bool bMatches;
    };
    for (const SCase& c : std::vector<SCase>{{"", "a.mot", true},
                                             {"/", "a.mot", true},
                                             {"./", "a.mot", true},
                                             {"a.mot", "a.mot", true},
                                             {"a.mot", "a.mo", false},
                                             {"*.mot", "a.mot", true},
                                             {"*.mot", "a.txt", false},
                                             {"a?.mot", "a1.mot", true},
                                             {"a*b*c", "aXbYbZc", true},
                                             {"a*b*c", "aXbYc Z", false},
                                             {"app[1].mot", "app1.mot", false},
                                             {"app[1].mot", "app[1].mot", true},
                                             {">", ">", true},
                                             {"-l", "a.mot", false}}) {
        EXPECT_EQ(SimFilterMatches(c.pszFilter, c.pszName), c.bMatches)
            << c.pszFilter << " / " << c.pszName;
    }
}

TEST(SimFtpSession, AccountLoginAndTheAccountlessUser) {
    CSimNode node(MAC_A);
    node.m_byMode = 7;
    CSimFtpSession session(node, PEER_IP);
    EXPECT_EQ(CSimFtpSession::Greeting(), "220 MRV-620 FTP server ready.\r\n");
    EXPECT_EQ(Step(session, "LIST"), "530 Please login with USER and PASS.\r\n");
    EXPECT_EQ(Step(session, "PASS x"), "503 Login with USER first.\r\n");
    // Every user is asked for a password, "(none)" too, who may give any.
    EXPECT_EQ(Step(session, "USER (none)"), "331 Password required for (none).\r\n");
    EXPECT_EQ(Step(session, "PASS "), "230 User (none) logged in.\r\n");
    EXPECT_EQ(Step(session, "PWD"), "257 \"/\" is the current directory.\r\n");

    std::string strError;
    ASSERT_TRUE(node.Set("user", "\"adm in\"", strError));
    ASSERT_TRUE(node.Set("password", "secret", strError));
    CSimFtpSession other(node, PEER_IP);
    struct SCase {
        const char* pszUser;
        const char* pszPass;
        const char* pszReply;
    };
    for (const SCase& c :
         std::vector<SCase>{{"(none)", "", "530 Login incorrect.\r\n"},
                            {"adm", "in", "530 Login incorrect.\r\n"},
                            {"adm in", "wrong", "530 Login incorrect.\r\n"},
                            {"adm in", "secret", "230 User adm in logged in.\r\n"}}) {
        EXPECT_EQ(Step(other, std::string("USER ") + c.pszUser),
                  std::string("331 Password required for ") + c.pszUser + ".\r\n");
        EXPECT_EQ(Step(other, std::string("PASS ") + c.pszPass), c.pszReply) << c.pszUser;
    }

    ASSERT_TRUE(node.m_faults.Set("nologin", "on", strError));
    CSimFtpSession refused(node, PEER_IP);
    Step(refused, "USER adm in");
    EXPECT_EQ(Step(refused, "PASS secret"), "530 Login incorrect.\r\n");
}

TEST(SimFtpSession, UploadInSetupModeInstallsAnApplication) {
    CSimNode node(MAC_A);
    node.m_byMode = 7;
    CSimFtpSession session(node, PEER_IP);
    Step(session, "USER (none)");
    Step(session, "PASS ");
    EXPECT_EQ(Step(session, "TYPE I"), "200 Type set to I.\r\n");
    EXPECT_EQ(Step(session, "STOR TESTAPP.mot"), "425 Use PORT or PASV first.\r\n");
    EXPECT_EQ(Step(session, "EPRT |1|10.62.0.1|40000|"), "200 EPRT command successful.\r\n");
    // The node has no folders: a name with one is refused before any data moves.
    EXPECT_EQ(Step(session, "STOR /tmp/x/TESTAPP.mot"), "553 Could not create file.\r\n");
    EXPECT_EQ(Step(session, "STOR x/TESTAPP.mot"), "553 Could not create file.\r\n");
    SFtpStep stor = session.OnLine("STOR TESTAPP.mot");
    EXPECT_EQ(stor.strReply, "150 Opening BINARY mode data connection for TESTAPP.mot.\r\n");
    EXPECT_EQ(stor.eData, EFtpData::Receive);
    EXPECT_EQ(session.ActivePort(), 40000);
    EXPECT_EQ(session.OnReceiveDone(true, GOOD_IMAGE), "226 Transfer complete.\r\n");
    const SSimFile* pApp = node.m_files.Find("TESTAPP.mot");
    ASSERT_NE(pApp, nullptr);
    EXPECT_EQ(pApp->eKind, ESimFileKind::UserApp);
    EXPECT_EQ(pApp->nMajor * 100 + pApp->nMinor, 102);

    // Data goes back only to the client's own address.
    EXPECT_EQ(Step(session, "PORT 10,62,0,9,156,64"),
              "500 Illegal PORT command: not your address.\r\n");
    EXPECT_EQ(Step(session, "PORT 10,62,0,1,156,64"), "200 PORT command successful.\r\n");
    SFtpStep list = session.OnLine("LIST >");
    EXPECT_EQ(list.strReply, "150 Opening ASCII mode data connection for file list.\r\n");
    EXPECT_EQ(list.strData, "");
    EXPECT_EQ(session.OnSendDone(true), "226 Transfer complete.\r\n");
    Step(session, "PASV");
    EXPECT_EQ(session.OnLine("LIST -la .").strData, node.m_files.FormatListing());
    session.OnSendDone(true);
    Step(session, "PASV");
    EXPECT_EQ(session.OnLine("NLST -l TESTAPP.mot").strData, "TESTAPP.mot\r\n");
    session.OnSendDone(true);

    EXPECT_EQ(Step(session, "RETR ./TESTAPP.mot"), "550 ./TESTAPP.mot: No such file.\r\n");
    EXPECT_EQ(Step(session, "DELE ./TESTAPP.mot"), "550 ./TESTAPP.mot: No such file.\r\n");
    EXPECT_EQ(Step(session, "DELE mrv620.krn"), "550 mrv620.krn: Permission denied.\r\n");
    EXPECT_EQ(Step(session, "DELE TESTAPP"), "550 TESTAPP: No such file.\r\n");
    EXPECT_EQ(Step(session, "DELE TESTAPP.mot"), "250 DELE command successful.\r\n");
    EXPECT_EQ(node.m_files.Find("TESTAPP.mot"), nullptr);
    EXPECT_EQ(Step(session, "QUIT"), "221 Goodbye.\r\n");
}

TEST(SimFtpSession, RefusedUploads) {
    CSimNode node(MAC_A);
    node.m_byMode = 7;
    CSimFtpSession session(node, PEER_IP);
    Step(session, "USER (none)");
    Step(session, "PASS ");
    Step(session, "TYPE I");
    Step(session, "PASV");
    EXPECT_EQ(session.PassiveReply(0xC0A8010Au, 40000),
              "227 Entering Passive Mode (192,168,1,10,156,64).\r\n");
    session.OnLine("STOR bad.mot");
    std::string strBad = GOOD_IMAGE;
    strBad.replace(strBad.find("S9030000FC"), 10, "S9030000FD");
    EXPECT_EQ(session.OnReceiveDone(true, strBad),
              "451 bad.mot: image refused, line 3: checksum error.\r\n");
    EXPECT_EQ(node.m_files.Find("bad.mot"), nullptr);

    Step(session, "EPSV");
    EXPECT_EQ(Step(session, "STOR a_very_long_name.mot"),
              "553 a_very_long_name.mot: Application name too long.\r\n");
    EXPECT_EQ(Step(session, "STOR boot.bin"), "553 boot.bin: Permission denied.\r\n");

    std::string strError;
    ASSERT_TRUE(node.m_faults.Set("nostor", "on", strError));
    EXPECT_EQ(Step(session, "STOR TESTAPP.mot"), "550 TESTAPP.mot: Permission denied.\r\n");
    ASSERT_TRUE(node.m_faults.Set("nostor", "off", strError));

    for (int i = 0; i < 10; ++i) {
        ASSERT_TRUE(node.Set("app", "APP" + std::to_string(i) + ".mot:1.00", strError));
    }
    EXPECT_EQ(Step(session, "STOR NEW.mot"), "552 No room for another application.\r\n");
    EXPECT_EQ(Step(session, "STOR APP3.mot"),
              "150 Opening BINARY mode data connection for APP3.mot.\r\n"); // replaces one
}

TEST(SimFtpSession, KernelModeUploadReplacesTheKernel) {
    CSimNode node(MAC_A);
    node.m_byMode = 6;
    CSimFtpSession session(node, PEER_IP);
    Step(session, "USER (none)");
    Step(session, "PASS ");
    Step(session, "TYPE A");
    Step(session, "EPRT |1|10.62.0.1|40000|");
    session.OnLine("STOR KERNEL.mot");
    // Text mode turns the network's CR LF into LF; the image stays valid.
    EXPECT_EQ(session.OnReceiveDone(true, GOOD_IMAGE), "226 Transfer complete.\r\n");
    ASSERT_EQ(node.m_files.Files().size(), 3u);
    EXPECT_EQ(node.m_files.Files()[0].strName, "KERNEL.mot");
    EXPECT_EQ(node.m_files.Files()[0].eKind, ESimFileKind::Kernel);
    EXPECT_EQ(node.m_files.Files()[0].nSize, GOOD_IMAGE.size() - 3);
    EXPECT_EQ(node.Version().chKernelMajor, 1);
    EXPECT_EQ(node.Version().chKernelMinor, 2);
    EXPECT_TRUE(node.Version().vecApps.empty());
}

TEST(SimFtpSession, InstallingNodeListsTheApplicationUnderItsOwnName) {
    CSimNode node(MAC_A);
    node.m_byMode = 7;
    std::string strError;
    ASSERT_TRUE(node.Set("store", "install", strError));
    EXPECT_FALSE(node.Set("store", "copy", strError));
    EXPECT_EQ(strError, "bad store copy (keep or install)");
    // The header's "TESTAPP V1.02" names it; its 16 bytes take one sector.
    EXPECT_EQ(node.Store("upload.mot", GOOD_IMAGE).Reply(), "226 Transfer complete.\r\n");
    EXPECT_EQ(node.m_files.FormatListing("TESTAPP"),
              "-rwxr-xr-x   1 user     user            512 Jan  1 00:00 V1.02 TESTAPP\r\n");
    EXPECT_EQ(node.m_files.Find("upload.mot"), nullptr);
    // Without such a header: the file's name without extension, 1.00.
    std::string strPlain = GOOD_IMAGE.substr(GOOD_IMAGE.find("S113"));
    EXPECT_EQ(node.Store("PLAIN.mot", strPlain).Reply(), "226 Transfer complete.\r\n");
    EXPECT_EQ(node.m_files.FormatNames("P*"), "PLAIN\r\n");
    EXPECT_EQ(node.Version().vecApps.at(1).chMajor * 100 + node.Version().vecApps.at(1).chMinor,
              100);
    // Refusals come after the data, once the name is known.
    EXPECT_EQ(node.Store("FOURTEEN_CHARS.mot", strPlain).Reply(),
              "553 FOURTEEN_CHARS: Application name too long.\r\n");
    EXPECT_EQ(node.Store("sub/PLAIN.mot", strPlain).Reply(), "553 Could not create file.\r\n");
    EXPECT_EQ(node.Delete("TESTAPP").Reply(), "250 DELE command successful.\r\n");
    EXPECT_EQ(node.m_files.FormatListing("TESTAPP"), "");
    // In the kernel mode an image is the kernel, as on every node.
    node.m_byMode = 6;
    EXPECT_EQ(node.Store("K.mot", GOOD_IMAGE).Reply(), "226 Transfer complete.\r\n");
    EXPECT_EQ(node.m_files.Kernel()->strName, "K.mot");
}
