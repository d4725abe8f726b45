#include "platform/ProcessTable.h"

#include <cstdio>
#include <dirent.h>
#include <fstream>
#include <set>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {
bool IsNumber(const char* psz) {
    if (*psz == '\0') {
        return false;
    }
    for (; *psz != '\0'; ++psz) {
        if (*psz < '0' || *psz > '9') {
            return false;
        }
    }
    return true;
}

// The socket inodes bound to wPort in one of the kernel's UDP tables:
// "sl local_address rem_address st tx_queue rx_queue tr tm->when retrnsmt uid timeout inode".
void CollectSocketInodes(const char* pszTable, uint16_t wPort, std::set<std::string>& setInodes) {
    std::ifstream in(pszTable);
    std::string strLine;
    std::getline(in, strLine); // the heading
    char szPort[8];
    std::snprintf(szPort, sizeof szPort, ":%04X", wPort);
    while (std::getline(in, strLine)) {
        std::istringstream line(strLine);
        std::string strSlot, strLocal, strRemote, strState, strQueues, strTimer, strRetries, strUid,
            strTimeout, strInode;
        line >> strSlot >> strLocal >> strRemote >> strState >> strQueues >> strTimer >>
            strRetries >> strUid >> strTimeout >> strInode;
        if (strLocal.size() > 5 && strLocal.compare(strLocal.size() - 5, 5, szPort) == 0 &&
            !strInode.empty() && strInode != "0") {
            setInodes.insert("socket:[" + strInode + "]");
        }
    }
}
} // namespace

std::string GetProcessName(pid_t pid) {
    if (pid <= 0) {
        return {};
    }
    std::ifstream in("/proc/" + std::to_string(pid) + "/comm");
    std::string str;
    std::getline(in, str);
    return str;
}

bool IsOwnLiveProcess(pid_t pid) {
    struct stat st {};
    return pid > 0 && ::stat(("/proc/" + std::to_string(pid)).c_str(), &st) == 0 &&
           st.st_uid == ::geteuid();
}

pid_t FindUdpPortOwner(uint16_t wPort) {
    std::set<std::string> setInodes;
    CollectSocketInodes("/proc/net/udp", wPort, setInodes);
    CollectSocketInodes("/proc/net/udp6", wPort, setInodes);
    if (setInodes.empty()) {
        return 0;
    }
    DIR* pProc = ::opendir("/proc");
    if (pProc == nullptr) {
        return 0;
    }
    pid_t pidOwner = 0;
    while (const dirent* pEntry = ::readdir(pProc)) {
        if (pidOwner != 0 || !IsNumber(pEntry->d_name)) {
            continue;
        }
        std::string strFds = std::string("/proc/") + pEntry->d_name + "/fd";
        DIR* pFds = ::opendir(strFds.c_str());
        if (pFds == nullptr) {
            continue; // gone, or another user's
        }
        while (const dirent* pFd = ::readdir(pFds)) {
            char szLink[64];
            ssize_t n = ::readlink((strFds + "/" + pFd->d_name).c_str(), szLink, sizeof szLink - 1);
            if (n > 0 && setInodes.count(std::string(szLink, static_cast<size_t>(n))) != 0) {
                pidOwner = static_cast<pid_t>(std::stol(pEntry->d_name));
                break;
            }
        }
        ::closedir(pFds);
    }
    ::closedir(pProc);
    return pidOwner;
}
