// The Linux ftp client (tnftp) against the simulated nodes' FTP server, fed
// scripts on standard input: ftp -g -i -n -v HOST (passive data connections,
// the server's replies printed with their codes), or with -A (active).
#include "RawNodeClient.h"
#include "TestFolder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <sstream>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {
const std::string GOOD_IMAGE = "S0100000544553544150502056312E303297\r\n"
                               "S1130000000102030405060708090A0B0C0D0E0F74\r\n"
                               "S9030000FC\r\n";
const std::string BAD_IMAGE = "S0100000544553544150502056312E303297\r\n"
                              "S1130000000102030405060708090A0B0C0D0E0F75\r\n"
                              "S9030000FC\r\n";
const std::string KERNEL_IMAGE = "S00F00004B45524E454C2056332E3035F3\n"
                                 "S20C100000AAAAAAAAAAAAAAAA93\n"
                                 "S804100000EB\n";
const std::string SYSTEM_LINES =
    "-r--r--r--   1 root     root         262144 Jan  1 00:00 mrv620.krn\n"
    "-r--r--r--   1 root     root          32768 Jan  1 00:00 boot.bin\n"
    "-r--r--r--   1 root     root            717 Jan  1 00:00 param.dat\n";

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteFile(const fs::path& path, const std::string& str) {
    std::ofstream out(path, std::ios::binary);
    out << str;
}

// The manager's reading of a listing: after each "user", from the next 'V' to
// the end of the line, continuing after that line. tnftp writes the listing
// with LF line ends, so a line ends at CR or LF.
std::vector<std::string> InstalledApps(const std::string& str) {
    std::vector<std::string> vec;
    size_t nPos = 0;
    while ((nPos = str.find("user", nPos)) != std::string::npos) {
        size_t nV = str.find('V', nPos);
        if (nV == std::string::npos) {
            break;
        }
        size_t nEnd = str.find_first_of("\r\n", nV);
        vec.push_back(str.substr(nV, nEnd - nV));
        if (nEnd == std::string::npos) {
            break;
        }
        nPos = nEnd;
    }
    return vec;
}

bool HasLine(const std::string& strOut, const std::string& strLine) {
    return ("\n" + strOut).find("\n" + strLine + "\n") != std::string::npos;
}

class SimFtp : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(RawInsideTestNetwork()) << "run me through scripts/testnet";
        ASSERT_TRUE(m_control.IsOpen());
        m_dir = MakeTestFolder({"with space"});
        ASSERT_FALSE(m_dir.empty()) << "no MRVT_DIR";
    }

    // Runs "ftp -g -i -n -v [-A] HOST" in the working directory with the script
    // on its standard input; returns what it printed. Ends it after 30 s.
    std::string RunFtp(const std::string& strHost, const std::string& strScript,
                       bool bActive = false) {
        fs::path scriptPath = m_dir / "script.txt";
        fs::path outPath = m_dir / "ftp.out";
        WriteFile(scriptPath, strScript);
        pid_t pid = fork();
        if (pid == 0) {
            int fdIn = open(scriptPath.c_str(), O_RDONLY);
            int fdOut = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (fdIn < 0 || fdOut < 0 || chdir(m_dir.c_str()) != 0) {
                _exit(126);
            }
            dup2(fdIn, 0);
            dup2(fdOut, 1);
            dup2(fdOut, 2);
            if (bActive) {
                execlp("ftp", "ftp", "-g", "-i", "-n", "-v", "-A", strHost.c_str(),
                       static_cast<char*>(nullptr));
            } else {
                execlp("ftp", "ftp", "-g", "-i", "-n", "-v", strHost.c_str(),
                       static_cast<char*>(nullptr));
            }
            _exit(127);
        }
        // A pidfd turns readable when the child ends.
        int nStatus = 0;
        int fdPid = int(syscall(SYS_pidfd_open, pid, 0));
        pollfd pfd{fdPid, POLLIN, 0};
        if (fdPid < 0 || poll(&pfd, 1, 30000) <= 0) {
            kill(pid, SIGKILL);
            ADD_FAILURE() << "ftp did not end within 30 s";
        }
        if (fdPid >= 0) {
            close(fdPid);
        }
        waitpid(pid, &nStatus, 0);
        EXPECT_TRUE(WIFEXITED(nStatus) && WEXITSTATUS(nStatus) != 127) << "ftp could not run";
        return ReadFile(outPath);
    }

    std::string Listing(const std::string& strName = "Dir.txt") {
        return ReadFile(m_dir / strName);
    }
    // The script of a put under the file's own name, then the listing.
    static std::string PutScript(const std::string& strLogin, const fs::path& image) {
        return strLogin + "\nbin\nput \"" + image.string() + "\" " + image.filename().string() +
               "\ndir . Dir.txt\nclose\nquit\n";
    }

    CSimControlClient m_control;
    fs::path m_dir;
};
} // namespace

TEST_F(SimFtp, PutUnderTheBaseNameIsListedAndLogged) {
    fs::path image = m_dir / "with space" / "TESTAPP.mot";
    WriteFile(image, GOOD_IMAGE);
    m_control.Request("FTPLOG 0080D4000011 CLEAR");
    // As a real server: the whole local path as the remote name is refused,
    // and "dir > file" lists what matches the name ">": nothing.
    std::string strOut = RunFtp("192.168.1.10", "user admin secret\nbin\nput \"" + image.string() +
                                                    "\"\ndir > Dir.txt\nclose\nquit\n");
    EXPECT_TRUE(HasLine(strOut, "553 Could not create file.")) << strOut;
    EXPECT_EQ(Listing(), "");
    EXPECT_EQ(m_control.Request("FTPLOG 0080D4000011"),
              "USER admin\nPASS secret\nSYST\nFEAT\nTYPE I\nEPSV\nSTOR " + image.string() +
                  "\nTYPE A\nEPSV\nLIST >\nQUIT\nOK\n");

    strOut = RunFtp("192.168.1.10", PutScript("user admin secret", image));
    std::string strDir = Listing();
    EXPECT_EQ(strDir, SYSTEM_LINES + "-rwxr-xr-x   1 user     user             94 Jan  1 00:00 "
                                     "V1.02 TESTAPP.mot\n")
        << strOut;
    EXPECT_TRUE(HasLine(strOut, "226 Transfer complete.")) << strOut;
    EXPECT_EQ(InstalledApps(strDir), (std::vector<std::string>{"V1.02 TESTAPP.mot"}));
    std::string strState = m_control.Request("STATE 0080D4000011");
    EXPECT_NE(strState.find("\nfile app \"TESTAPP.mot\" 94 1.02 sum=0078\nfaults none\nOK\n"),
              std::string::npos)
        << strState;
}

TEST_F(SimFtp, InstallingNodeListsTheApplicationByItsOwnName) {
    ASSERT_EQ(m_control.Request("SET 0080D4000011 store install"), "OK\n");
    fs::path image = m_dir / "upload.mot";
    WriteFile(image, GOOD_IMAGE);
    std::string strOut = RunFtp("192.168.1.10", PutScript("user admin secret", image), true);
    EXPECT_TRUE(HasLine(strOut, "226 Transfer complete.")) << strOut;
    std::string strDir = Listing();
    EXPECT_EQ(strDir, SYSTEM_LINES + "-rwxr-xr-x   1 user     user            512 Jan  1 00:00 "
                                     "V1.02 TESTAPP\n")
        << strOut;
    strOut = RunFtp("192.168.1.10", "user admin secret\ndel TESTAPP\ndir . Dir.txt\nquit\n");
    EXPECT_EQ(Listing(), SYSTEM_LINES) << strOut;
}

TEST_F(SimFtp, AccountlessListing) {
    std::string strOut = RunFtp("192.168.1.11", "user (none)\n\ndir . dir.txt\nclose\nquit\n");
    std::string strDir = Listing("dir.txt");
    EXPECT_EQ(strDir, SYSTEM_LINES + "-rwxr-xr-x   1 user     user           2048 Jan  1 00:00 "
                                     "V3.01 OLDAPP.mot\n")
        << strOut;
    EXPECT_EQ(InstalledApps(strDir), (std::vector<std::string>{"V3.01 OLDAPP.mot"}));

    // A node with an account does not let the account-less user in.
    fs::remove(m_dir / "dir.txt");
    strOut = RunFtp("192.168.1.10", "user (none)\n\ndir . dir.txt\nclose\nquit\n");
    EXPECT_NE(strOut.find("530 Login incorrect.\n"), std::string::npos) << strOut;
    EXPECT_EQ(Listing("dir.txt"), "");
}

TEST_F(SimFtp, DeleteRemovesTheApplication) {
    std::string strOut =
        RunFtp("192.168.1.11", "user (none)\n\nbin\ndel OLDAPP.mot\ndir . Dir.txt\nclose\nquit\n");
    std::string strDir = Listing();
    EXPECT_EQ(strDir, SYSTEM_LINES) << strOut;
    EXPECT_EQ(strDir.find("user"), std::string::npos); // the manager: no user application
    EXPECT_EQ(m_control.Request("WAIT 0080D4000012 nofile=OLDAPP.mot timeout=1"), "OK\n");

    // System files stay.
    strOut = RunFtp("192.168.1.11",
                    "user (none)\n\nbin\ndel boot.bin\ndir . Dir.txt\nclose\nquit\n", true);
    EXPECT_TRUE(HasLine(strOut, "550 boot.bin: Permission denied.")) << strOut;
    EXPECT_EQ(Listing(), SYSTEM_LINES);
}

TEST_F(SimFtp, ImageWithABadChecksumIsRefused) {
    fs::path image = m_dir / "BADAPP.mot";
    WriteFile(image, BAD_IMAGE);
    std::string strOut = RunFtp("192.168.1.10", PutScript("user admin secret", image));
    EXPECT_TRUE(HasLine(strOut, "451 BADAPP.mot: image refused, line 2: checksum error."))
        << strOut;
    EXPECT_EQ(Listing(), SYSTEM_LINES) << strOut;
    EXPECT_EQ(m_control.Request("WAIT 0080D4000011 nofile=BADAPP.mot timeout=1"), "OK\n");
}

TEST_F(SimFtp, KernelModeTakesANewKernel) {
    fs::path image = m_dir / "with space" / "KERNEL.mot";
    WriteFile(image, KERNEL_IMAGE);
    std::string strOut = RunFtp("192.168.1.12", PutScript("user (none)\n", image), true);
    EXPECT_EQ(Listing(), "-r--r--r--   1 root     root             77 Jan  1 00:00 KERNEL.mot\n"
                         "-r--r--r--   1 root     root          32768 Jan  1 00:00 boot.bin\n"
                         "-r--r--r--   1 root     root            717 Jan  1 00:00 param.dat\n")
        << strOut;
    std::string strState = m_control.Request("STATE 0080D4000013");
    EXPECT_NE(strState.find("\nfile kernel \"KERNEL.mot\" 77 3.05\nfile system \"boot.bin\""),
              std::string::npos)
        << strState;
}

TEST_F(SimFtp, RefusedLoginAndRefusedUpload) {
    fs::path image = m_dir / "TESTAPP.mot";
    WriteFile(image, GOOD_IMAGE);
    std::string strPut = PutScript("user admin secret", image);

    ASSERT_EQ(m_control.Request("FAULT 0080D4000011 nologin on"), "OK\n");
    std::string strOut = RunFtp("192.168.1.10", strPut);
    EXPECT_TRUE(HasLine(strOut, "530 Login incorrect.")) << strOut;
    EXPECT_EQ(Listing(), "");

    ASSERT_EQ(m_control.Request("FAULT 0080D4000011 clear"), "OK\n");
    ASSERT_EQ(m_control.Request("FAULT 0080D4000011 nostor on"), "OK\n");
    strOut = RunFtp("192.168.1.10", strPut);
    EXPECT_TRUE(HasLine(strOut, "550 TESTAPP.mot: Permission denied.")) << strOut;
    EXPECT_EQ(Listing(), SYSTEM_LINES);
    EXPECT_EQ(m_control.Request("WAIT 0080D4000011 nofile=TESTAPP.mot timeout=1"), "OK\n");
}
