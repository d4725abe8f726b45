#include "VsftpdServer.h"

#include "RawNodeClient.h"

#include <cerrno>
#include <crypt.h>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <poll.h>
#include <spawn.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

extern char** environ;

namespace {
constexpr int VSFTPD_START_LIMIT_MS = 10000;
constexpr int VSFTPD_START_STEP_MS = 20;
constexpr char LOG_COMMAND[] = "FTP command: Client \"";

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const fs::path& path, const std::string& str, mode_t mode) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << str;
    ::chmod(path.c_str(), mode);
}

// The lines of a system file without those of one name, so the account's own
// line is the only one with it.
std::string WithoutName(const std::string& strFile, const std::string& strName) {
    std::istringstream in(ReadAll(strFile));
    std::string strOut;
    std::string strLine;
    while (std::getline(in, strLine)) {
        if (strLine.rfind(strName + ":", 0) != 0) {
            strOut += strLine + "\n";
        }
    }
    return strOut;
}

// A user and group id that neither file of the machine uses.
uid_t FreeId() {
    std::string strUsed = "\n" + ReadAll("/etc/passwd") + "\n" + ReadAll("/etc/group");
    for (uid_t id = 64100; id < 65000; ++id) {
        std::string strId = ":" + std::to_string(id) + ":";
        if (strUsed.find(":x" + strId) == std::string::npos &&
            strUsed.find(":*" + strId) == std::string::npos &&
            strUsed.find(":!" + strId) == std::string::npos) {
            return id;
        }
    }
    return 64999;
}
} // namespace

CVsftpd::CVsftpd(fs::path dir, SVsftpdOptions options)
    : m_dir(std::move(dir)), m_folder(m_dir / "folder"), m_options(std::move(options)),
      m_uid(FreeId()) {
    fs::create_directories(m_folder);
    fs::create_directories(m_dir / "empty");
    ::chown(m_folder.c_str(), m_uid, m_uid);
    // The account reaches its folder through the test's directories.
    const char* pszTop = std::getenv("MRVT_DIR");
    for (fs::path p = m_folder.parent_path(); !p.empty() && p != p.root_path();
         p = p.parent_path()) {
        fs::permissions(p, fs::perms::others_exec, fs::perm_options::add);
        if (pszTop == nullptr || p == fs::path(pszTop)) {
            break;
        }
    }
}

CVsftpd::~CVsftpd() {
    Stop();
}

bool CVsftpd::Start(std::string& strError) {
    const std::string& u = m_options.strUser;
    std::string strId = std::to_string(m_uid);
    WriteAll(m_dir / "passwd",
             WithoutName("/etc/passwd", u) + u + ":x:" + strId + ":" + strId +
                 "::" + m_folder.string() + ":/bin/sh\n",
             0644);
    WriteAll(m_dir / "group", WithoutName("/etc/group", u) + u + ":x:" + strId + ":\n", 0644);
    const char* pszHash = crypt(m_options.strPassword.c_str(), "$6$mrvtsalt$");
    if (pszHash == nullptr || pszHash[0] == '*') {
        strError = "crypt failed";
        return false;
    }
    WriteAll(m_dir / "shadow",
             WithoutName("/etc/shadow", u) + u + ":" + pszHash + ":19000:0:99999:7:::\n", 0600);
    std::string strConfig = "listen=YES\n"
                            "listen_ipv6=NO\n"
                            "listen_address=" +
                            m_options.strAddress +
                            "\n"
                            "listen_port=21\n"
                            "background=NO\n"
                            "anonymous_enable=NO\n"
                            "local_enable=YES\n"
                            "write_enable=YES\n"
                            "local_umask=022\n"
                            "local_root=" +
                            m_folder.string() +
                            "\n"
                            "pam_service_name=vsftpd\n"
                            "nopriv_user=nobody\n"
                            "secure_chroot_dir=" +
                            (m_dir / "empty").string() +
                            "\n"
                            // No sandboxes of its own: the test network is one.
                            "seccomp_sandbox=NO\n"
                            "isolate=NO\n"
                            "isolate_network=NO\n"
                            "text_userdb_names=YES\n"
                            "connect_from_port_20=NO\n"
                            "delay_failed_login=0\n"
                            "delay_successful_login=0\n"
                            "pasv_enable=" +
                            (m_options.bPassive ? "YES" : "NO") +
                            "\n"
                            "port_enable=" +
                            (m_options.bActive ? "YES" : "NO") +
                            "\n"
                            "xferlog_enable=YES\n"
                            "xferlog_std_format=NO\n"
                            "log_ftp_protocol=YES\n"
                            "syslog_enable=NO\n"
                            "vsftpd_log_file=" +
                            (m_dir / "vsftpd.log").string() + "\n";
    WriteAll(m_dir / "vsftpd.conf", strConfig, 0600);

    const char* pszNs = std::getenv("MRVT_NS_SEG");
    if (pszNs == nullptr) {
        strError = "MRVT_NS_SEG is not set: run me through scripts/testnet";
        return false;
    }
    std::vector<std::string> vecArgs = {
        "ip",
        "netns",
        "exec",
        pszNs,
        "unshare",
        "--mount",
        "--propagation",
        "private",
        "sh",
        "-c",
        "mount --bind \"$1\" /etc/passwd && mount --bind \"$2\" /etc/shadow && "
        "mount --bind \"$3\" /etc/group && exec vsftpd \"$4\"",
        "sh",
        (m_dir / "passwd").string(),
        (m_dir / "shadow").string(),
        (m_dir / "group").string(),
        (m_dir / "vsftpd.conf").string()};
    std::vector<char*> vecArgv;
    for (std::string& str : vecArgs) {
        vecArgv.push_back(str.data());
    }
    vecArgv.push_back(nullptr);
    std::string strOut = (m_dir / "vsftpd.out").string();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, strOut.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    // A group of its own, so that its session processes end with it.
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attr, 0);
    int nError = posix_spawnp(&m_pid, "ip", &actions, &attr, vecArgv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    if (nError != 0) {
        m_pid = -1;
        strError = "cannot start ip netns exec: " + std::to_string(nError);
        return false;
    }

    // vsftpd tells nobody when it listens: try its port until it answers, or
    // until it has ended.
    int fdPid = int(syscall(SYS_pidfd_open, m_pid, 0));
    bool bUp = false;
    for (int nWaited = 0; nWaited < VSFTPD_START_LIMIT_MS; nWaited += VSFTPD_START_STEP_MS) {
        if (RawTcpConnect(m_options.strAddress, 21) == 0) {
            bUp = true;
            break;
        }
        pollfd pfd{fdPid, POLLIN, 0};
        if (fdPid >= 0 && poll(&pfd, 1, VSFTPD_START_STEP_MS) > 0) {
            break; // it ended
        }
    }
    if (fdPid >= 0) {
        close(fdPid);
    }
    if (!bUp) {
        strError = "vsftpd did not come up: " + Output();
        Stop();
    }
    return bUp;
}

void CVsftpd::Stop() {
    if (m_pid > 0) {
        ::kill(-m_pid, SIGTERM);
        int nStatus = 0;
        while (::waitpid(m_pid, &nStatus, 0) < 0 && errno == EINTR) {
        }
        m_pid = -1;
    }
}

void CVsftpd::AddFile(const std::string& strName, const std::string& strData, mode_t mode) {
    fs::path path = m_folder / strName;
    WriteAll(path, strData, mode);
    ::chown(path.c_str(), m_uid, m_uid);
}

void CVsftpd::ProtectFolder() {
    ::chmod(m_folder.c_str(), 0555);
}

std::vector<std::string> CVsftpd::Commands() const {
    std::vector<std::string> vec;
    std::istringstream in(ReadAll(m_dir / "vsftpd.log"));
    std::string strLine;
    while (std::getline(in, strLine)) {
        size_t nAt = strLine.find(LOG_COMMAND);
        size_t nStart = nAt == std::string::npos ? nAt : strLine.find("\", \"", nAt);
        if (nStart != std::string::npos && strLine.size() > nStart + 4 && strLine.back() == '"') {
            vec.push_back(strLine.substr(nStart + 4, strLine.size() - nStart - 5));
        }
    }
    return vec;
}

std::string CVsftpd::Output() const {
    return ReadAll(m_dir / "vsftpd.out");
}
