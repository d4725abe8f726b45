#include "app/OrvixApp.h"
#include "ScratchDir.h"
#include "params/ParamFields.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

namespace {
// Sets or clears an environment variable for one test.
class CEnvVar {
public:
    CEnvVar(const char* pszName, const char* pszValue) : m_strName(pszName) {
        if (const char* pszOld = std::getenv(pszName)) {
            m_optOld = pszOld;
        }
        if (pszValue != nullptr) {
            ::setenv(pszName, pszValue, 1);
        } else {
            ::unsetenv(pszName);
        }
    }
    ~CEnvVar() {
        if (m_optOld) {
            ::setenv(m_strName.c_str(), m_optOld->c_str(), 1);
        } else {
            ::unsetenv(m_strName.c_str());
        }
    }

private:
    std::string m_strName;
    std::optional<std::string> m_optOld;
};
} // namespace

TEST(OrvixApp, WithoutAnIniFileTheSettingsAreTheDefaults) {
    CScratchDir dir;
    COrvixApp app(dir.File("mrvmgr"), dir.File("fallback"));
    EXPECT_EQ(app.m_settings.m_nRetryGetParam, 3);
    EXPECT_EQ(app.m_settings.m_nTimeout, 5000);
    EXPECT_EQ(app.m_settings.m_nTimeoutAutoSet, 5000);
    EXPECT_EQ(app.m_settings.m_nTimeoutInitial, 5000);
    EXPECT_EQ(app.m_settings.m_nTimeoutSearch, 1500);
    EXPECT_EQ(app.m_paramFile.m_strPath, dir.File("DefParam.ini"));
    EXPECT_EQ(app.m_strDataPath, dir.File("mrvmgr.dat"));
    EXPECT_EQ(uint16_t{app.GetDefaultParam().wMtu}, 1500);
    EXPECT_EQ(GetTextField(app.GetDefaultParam().szRsProtocol), "Serial");
    EXPECT_FALSE(CScratchDir::Exists(dir.File("fallback"))); // the folder was writable
}

TEST(OrvixApp, AnyExecutableNameUsesDefParamIniWhileTheDataFileFollowsTheName) {
    CScratchDir dir;
    CScratchDir::Write(
        dir.File("DefParam.ini"),
        "[Application]\r\nTimeout_Search=3000\r\n[MRV-620_Parameter]\r\nSpeed=9\r\n");
    COrvixApp app(dir.File("Renamed Tool.exe"), "");
    EXPECT_EQ(app.m_paramFile.m_strPath, dir.File("DefParam.ini"));
    EXPECT_EQ(app.m_strDataPath, dir.File("Renamed Tool.dat"));
    EXPECT_EQ(app.m_settings.m_nTimeoutSearch, 3000);
    EXPECT_EQ(app.GetDefaultParam().byBaudRate, 9);
}

TEST(OrvixApp, SettingsAreReadOnceAtConstruction) {
    CScratchDir dir;
    COrvixApp app(dir.File("mrvmgr"), "");
    CScratchDir::Write(dir.File("DefParam.ini"), "[Application]\r\nTimeout=1\r\n");
    EXPECT_EQ(app.m_settings.m_nTimeout, 5000);
}

TEST(OrvixApp, SavingTheDefaultsCreatesBothSections) {
    CScratchDir dir;
    COrvixApp app(dir.File("mrvmgr"), "");
    app.m_paramFile.m_param.wMtu = 1400;
    app.SaveDefaults();
    std::string strText = CScratchDir::Read(dir.File("DefParam.ini"));
    EXPECT_NE(strText.find("[MRV-620_Parameter]\r\nOwnportX=257\r\n"), std::string::npos);
    EXPECT_NE(strText.find("\r\nMtu=1400\r\n"), std::string::npos);
    size_t nApp = strText.find("[Application]\r\n");
    ASSERT_NE(nApp, std::string::npos);
    EXPECT_EQ(strText.substr(nApp), "[Application]\r\n"
                                    "Retrycnt_GetPrm=3\r\n"
                                    "Timeout=5000\r\n"
                                    "Timeout_AutoSet=5000\r\n"
                                    "Timeout_Initial=5000\r\n"
                                    "Timeout_Search=1500\r\n");
}

TEST(OrvixApp, AnUnwritableExecutableFolderSendsTheFilesToTheUserFolder) {
    CScratchDir dir;
    std::string strFallback = dir.File("config/mrvmgr/");
    COrvixApp app("/nonexistent-orvix-dir/bin/mrvmgr", strFallback);
    EXPECT_EQ(app.m_paramFile.m_strPath, strFallback + "DefParam.ini");
    EXPECT_EQ(app.m_strDataPath, strFallback + "mrvmgr.dat");
    EXPECT_TRUE(std::filesystem::is_directory(strFallback)); // created for the later saves
    EXPECT_EQ(app.m_settings.m_nTimeout, 5000);
    app.SaveDefaults();
    EXPECT_TRUE(CScratchDir::Exists(strFallback + "DefParam.ini"));
}

TEST(OrvixApp, TheUserFolderFilesAreReadWhenTheExecutableFolderIsNotWritable) {
    CScratchDir dir;
    CScratchDir::Write(dir.File("DefParam.ini"), "[Application]\r\nTimeout=1\r\n");
    COrvixApp app("/nonexistent-orvix-dir/mrvmgr", dir.Dir());
    EXPECT_EQ(app.m_settings.m_nTimeout, 1);
}

TEST(OrvixApp, FallbackFolderWithoutItsSlashGetsOne) {
    CScratchDir dir;
    COrvixApp app("/nonexistent-orvix-dir/mrvmgr", dir.File("cfg"));
    EXPECT_EQ(app.m_strDataPath, dir.File("cfg/mrvmgr.dat"));
}

TEST(OrvixApp, UserFolderComesFromXdgConfigHomeOrHome) {
    {
        CEnvVar xdg("XDG_CONFIG_HOME", "/xdg/conf");
        EXPECT_EQ(GetUserConfigDir(), "/xdg/conf/mrvmgr/");
    }
    {
        CEnvVar xdg("XDG_CONFIG_HOME", "relative/conf"); // not absolute: ignored
        CEnvVar home("HOME", "/home/op/");
        EXPECT_EQ(GetUserConfigDir(), "/home/op/.config/mrvmgr/");
    }
    {
        CEnvVar xdg("XDG_CONFIG_HOME", nullptr);
        CEnvVar home("HOME", "/home/op");
        EXPECT_EQ(GetUserConfigDir(), "/home/op/.config/mrvmgr/");
    }
}

TEST(OrvixApp, PathsAreFormedInTheGivenFolder) {
    SAppPaths paths = FormAppPaths(SplitModulePath("/opt/mrv/bin/mrvmgr.bin"), "/opt/mrv/bin/");
    EXPECT_EQ(paths.strIniPath, "/opt/mrv/bin/DefParam.ini");
    EXPECT_EQ(paths.strDataPath, "/opt/mrv/bin/mrvmgr.dat");
}
