#include "platform/ModulePath.h"

#include <climits>
#include <unistd.h>

SModulePath SplitModulePath(const std::string& strFull) {
    SModulePath path;
    path.strFull = strFull;
    size_t nSlash = strFull.rfind('/');
    std::string strName = strFull;
    if (nSlash != std::string::npos) {
        path.strDir = strFull.substr(0, nSlash + 1);
        strName = strFull.substr(nSlash + 1);
    }
    size_t nDot = strName.rfind('.');
    if (nDot != std::string::npos && nDot > 0) {
        path.strBaseName = strName.substr(0, nDot);
        path.strExt = strName.substr(nDot);
    } else {
        path.strBaseName = strName;
    }
    return path;
}

SModulePath GetModulePath() {
    char szPath[PATH_MAX + 1] = {};
    ssize_t n = readlink("/proc/self/exe", szPath, PATH_MAX);
    if (n <= 0) {
        return {};
    }
    szPath[n] = '\0';
    return SplitModulePath(szPath);
}
