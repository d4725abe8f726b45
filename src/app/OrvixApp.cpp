#include "app/OrvixApp.h"

#include "doc/OperationLog.h"
#include "platform/SingleInstance.h"

#include <cerrno>
#include <cstdlib>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr char APP_CONFIG_SUBDIR[] = "mrvmgr/";
constexpr char INSTANCE_LOCK_NAME[] = "mrvmgr.lock";
constexpr char INSTANCE_SOCKET_NAME[] = "mrvmgr.socket";

bool IsWritableDir(const std::string& strDir) {
    return !strDir.empty() && ::access(strDir.c_str(), W_OK | X_OK) == 0;
}

// mkdir -p; true when the folder exists afterwards.
bool MakeDirs(const std::string& strDir) {
    for (size_t nPos = 1; nPos <= strDir.size(); ++nPos) {
        if (nPos == strDir.size() || strDir[nPos] == '/') {
            std::string strPart = strDir.substr(0, nPos);
            if (::mkdir(strPart.c_str(), 0755) != 0 && errno != EEXIST) {
                return false;
            }
        }
    }
    struct stat st {};
    return ::stat(strDir.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string WithSlash(std::string strDir) {
    if (!strDir.empty() && strDir.back() != '/') {
        strDir += '/';
    }
    return strDir;
}
} // namespace

SAppPaths FormAppPaths(const SModulePath& module, const std::string& strDir) {
    return {strDir + APP_INI_NAME, strDir + module.strBaseName + APP_DATA_EXT};
}

std::string GetUserConfigDir() {
    // Only an absolute XDG_CONFIG_HOME counts.
    const char* pszXdg = std::getenv("XDG_CONFIG_HOME");
    if (pszXdg != nullptr && pszXdg[0] == '/') {
        return WithSlash(pszXdg) + APP_CONFIG_SUBDIR;
    }
    const char* pszHome = std::getenv("HOME");
    if (pszHome == nullptr || pszHome[0] != '/') {
        const passwd* pPw = ::getpwuid(::getuid());
        pszHome = pPw != nullptr ? pPw->pw_dir : nullptr;
    }
    if (pszHome == nullptr || pszHome[0] != '/') {
        return {};
    }
    return WithSlash(pszHome) + ".config/" + APP_CONFIG_SUBDIR;
}

std::string GetOperationLogPath() {
    std::string strDir = GetUserConfigDir();
    return strDir.empty() ? strDir : strDir + OPLOG_FILE_NAME;
}

SInstancePaths GetInstancePaths() {
    std::string strDir = ChooseInstanceDir(GetUserConfigDir());
    if (strDir.empty()) {
        return {};
    }
    return {strDir + INSTANCE_LOCK_NAME, strDir + INSTANCE_SOCKET_NAME};
}

COrvixApp COrvixApp::ForManagerFiles() {
    SModulePath module = GetModulePath();
    module.strBaseName = APP_MANAGER_NAME;
    module.strFull = module.strDir + APP_MANAGER_NAME + module.strExt;
    return COrvixApp(module.strFull, GetUserConfigDir());
}

COrvixApp::COrvixApp() {
    Init(GetModulePath(), GetUserConfigDir());
}

COrvixApp::COrvixApp(const std::string& strModulePath, const std::string& strFallbackDir) {
    Init(SplitModulePath(strModulePath), strFallbackDir);
}

void COrvixApp::Init(const SModulePath& module, const std::string& strFallbackDir) {
    std::string strDir = module.strDir;
    if (!IsWritableDir(strDir) && !strFallbackDir.empty()) {
        strDir = WithSlash(strFallbackDir);
        MakeDirs(strDir); // a failure shows later as a lost save, reported by the saver
    }
    m_strFilesDir = strDir;
    SAppPaths paths = FormAppPaths(module, strDir);
    m_strDataPath = paths.strDataPath;
    m_paramFile.Load(paths.strIniPath, m_settings);
}
