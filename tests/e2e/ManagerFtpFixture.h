#pragma once
// What the manager's FTP end-to-end suites share: a document on the real
// socket and poll pump with the strict scripted UI, fixed pauses shortened
// tenfold, the real ftp client (tnftp), a scratch folder per test, and the
// simulator's control channel.
#include "RawNodeClient.h"
#include "ScriptedUi.h"
#include "ShortPauseClock.h"
#include "SimState.h"
#include "TestFolder.h"
#include "doc/FtpRun.h"
#include "doc/OrvixDoc.h"
#include "platform/PollMessagePump.h"
#include "platform/PosixDatagramSocket.h"
#include "res/Texts.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

namespace e2e {
namespace fs = std::filesystem;

// "TESTAPP V1.02" header, 16 data bytes 00..0F, end record.
inline const std::string GOOD_IMAGE = "S0100000544553544150502056312E303297\r\n"
                                      "S1130000000102030405060708090A0B0C0D0E0F74\r\n"
                                      "S9030000FC\r\n";
// The same without a header, with other data bytes (10..1F).
inline const std::string OTHER_IMAGE = "S1130000101112131415161718191A1B1C1D1E1F74\r\n"
                                       "S9030000FC\r\n";

inline std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFile(const fs::path& path, const std::string& str) {
    std::ofstream out(path, std::ios::binary);
    out << str;
}

inline bool Contains(const std::string& str, const std::string& strPart) {
    return str.find(strPart) != std::string::npos;
}

// The operator's message for a put the server refused with this reply.
inline std::string PutRefused(const std::string& strReply) {
    char sz[512];
    std::snprintf(sz, sizeof sz, TXT_FTP_PUT_REFUSED, strReply.c_str());
    return sz;
}

inline std::string WithCode(const char* pszFormat, int nCode) {
    char sz[512];
    std::snprintf(sz, sizeof sz, pszFormat, nCode);
    return sz;
}

class CManagerFtpFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(RawInsideTestNetwork()) << "runs only inside scripts/testnet";
        ASSERT_TRUE(m_control.IsOpen());
        m_dir = MakeTestFolder({"tmp", "images/with space"});
        ASSERT_FALSE(m_dir.empty()) << "no MRVT_DIR";
        setenv("TMPDIR", (m_dir / "tmp").c_str(), 1);
        m_pDoc =
            std::make_unique<COrvixDoc>(SDocEnv{m_ui, m_pump, m_clock, m_settings, m_param, ""},
                                        std::make_unique<CPosixDatagramSocket>());
        m_pDoc->SetFtpRunEnv(RunEnv());
        m_pDoc->AddNetwork("LINE-F", 0xFFFFFF00u, 0xC0A80101u);
    }
    void TearDown() override {
        m_pDoc.reset();
        m_ui.VerifyAllConsumed();
        // No working folder of the client (nor its script) is left.
        EXPECT_TRUE(fs::is_empty(m_dir / "tmp"));
        unsetenv("TMPDIR");
    }
    virtual SFtpRunEnv RunEnv() { return {}; }

    std::string Control(const std::string& strLine) { return m_control.Request(strLine); }
    // The node's mode now, as the simulator holds it.
    std::string NodeMode(const std::string& strMac) { return NodeState(m_control, strMac)["mode"]; }
    // An image in a folder whose name holds a space.
    std::string Image(const std::string& strName, const std::string& strText) {
        fs::path path = m_dir / "images" / "with space" / strName;
        WriteFile(path, strText);
        return path.string();
    }
    // The listing dialog; its text is kept.
    void ExpectListing(std::string* pstrListing) {
        m_ui.ExpectDialog("CFileInfoDlg", [pstrListing](CDialogModel& dlg, CUi& ui) {
            if (pstrListing != nullptr) {
                *pstrListing = dlg.GetText(1122);
            }
            return Press(dlg, ui, DIALOG_OK);
        });
    }

    CScriptedUi m_ui;
    CShortPauseClock m_clock{10};
    CPollMessagePump m_pump;
    SAppSettings m_settings;
    NODEPARAM m_param{};
    std::unique_ptr<COrvixDoc> m_pDoc;
    CSimControlClient m_control;
    fs::path m_dir;
};
} // namespace e2e
