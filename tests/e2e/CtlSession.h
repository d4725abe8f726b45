#pragma once
// mrvctl as an operator runs it on the test network: an installed copy in
// bin/ and a user session of its own (home, runtime and temporary folders)
// in the running test's folder. Every run is --json; its one object is
// parsed and its "exit" checked against the status. The target defines
// MRVCTL_PATH.
#include "JsonReader.h"
#include "ProgramRun.h"
#include "RawNodeClient.h"
#include "TestFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <vector>

struct SCtl {
    SProgramRun run;
    CJsonValue json;
};

inline std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFile(const std::filesystem::path& path, const std::string& str) {
    std::ofstream(path, std::ios::binary) << str;
}

class CCtlSessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(RawInsideTestNetwork()) << "runs only inside scripts/testnet";
        ASSERT_TRUE(m_control.IsOpen());
        m_dir = MakeTestFolder({"bin", "home", "run", "tmp"});
        ASSERT_FALSE(m_dir.empty()) << "no MRVT_DIR";
        ::chmod((m_dir / "run").c_str(), 0700);
        std::filesystem::copy_file(MRVCTL_PATH, CtlPath(),
                                   std::filesystem::copy_options::overwrite_existing);
    }

    std::string CtlPath() const { return (m_dir / "bin" / "mrvctl").string(); }

    // The session's variables, put over the test's own environment.
    std::vector<std::string> Env() const {
        return {"HOME=" + (m_dir / "home").string(), "XDG_RUNTIME_DIR=" + (m_dir / "run").string(),
                "TMPDIR=" + (m_dir / "tmp").string()};
    }

    SProgramHandle Start(std::vector<std::string> vecArgs,
                         const std::vector<std::string>& vecMoreEnv = {},
                         const std::string& strTag = "") const {
        vecArgs.insert(vecArgs.begin(), {CtlPath(), "--json"});
        std::vector<std::string> vecEnv = Env();
        vecEnv.insert(vecEnv.end(), vecMoreEnv.begin(), vecMoreEnv.end());
        return StartProgram(vecArgs, vecEnv, m_dir.string(), strTag);
    }

    static SCtl Finish(const SProgramHandle& handle) {
        SCtl ctl;
        ctl.run = FinishProgram(handle);
        ctl.json = CJsonValue::Parse(ctl.run.strOut);
        EXPECT_TRUE(ctl.json.IsValid()) << ctl.run.strOut << ctl.run.strErr;
        EXPECT_EQ(ctl.json["exit"].Int(), ctl.run.nExit);
        return ctl;
    }

    SCtl Ctl(const std::vector<std::string>& vecArgs) const { return Finish(Start(vecArgs)); }

    static std::string Why(const SCtl& ctl) { return ctl.run.strOut + "\n" + ctl.run.strErr; }

    CSimControlClient m_control;
    std::filesystem::path m_dir;
};
