#pragma once
#include <string>

// The running executable's path, split the way the file names are formed from it.
struct SModulePath {
    std::string strFull;     // /opt/mrv/bin/mrvmgr
    std::string strDir;      // /opt/mrv/bin/  (with the trailing slash)
    std::string strBaseName; // mrvmgr
    std::string strExt;      // "" or ".exe"
};

SModulePath SplitModulePath(const std::string& strFull);
// Reads /proc/self/exe; an empty path when that fails.
SModulePath GetModulePath();
