#pragma once
#include "params/AppSettings.h"
#include "params/ParamFile.h"
#include "platform/ModulePath.h"

#include <string>

// Where the INI file and the data file live.
struct SAppPaths {
    std::string strIniPath;  // <dir>DefParam.ini, whatever the executable is called
    std::string strDataPath; // <dir><executable base name>.dat
};

inline constexpr char APP_INI_NAME[] = "DefParam.ini";
inline constexpr char APP_DATA_EXT[] = ".dat";
// The manager's own name: its data file, its per-user folder and its
// single-instance lock are named after it, whichever front end runs.
inline constexpr char APP_MANAGER_NAME[] = "mrvmgr";

// Both names in strDir (with its trailing slash, or empty for the current folder).
SAppPaths FormAppPaths(const SModulePath& module, const std::string& strDir);
// The per-user folder for an executable whose own folder is not writable:
// $XDG_CONFIG_HOME/mrvmgr/, else ~/.config/mrvmgr/; empty when neither is known.
std::string GetUserConfigDir();
// The operation log of the user who runs the program, in the per-user folder
// whichever copy runs (a folder beside the program may be shared or
// read-only); empty when there is no such folder.
std::string GetOperationLogPath();

// The single-instance lock and the local socket of the manager in one user's
// session; both empty when no folder for them can be had.
struct SInstancePaths {
    std::string strLock;
    std::string strSocket;
};
SInstancePaths GetInstancePaths();

// The application object: the file paths, the default node parameters and the
// timing settings, read once at construction and kept for the whole run.
class COrvixApp {
public:
    // For the running executable, with the per-user folder as fallback.
    COrvixApp();
    // For the executable at strModulePath. When its folder is not writable, the
    // files go to strFallbackDir (created as needed; empty: no fallback).
    COrvixApp(const std::string& strModulePath, const std::string& strFallbackDir);
    // The manager's files as the manager finds them, for another program of
    // the product installed beside it: the running executable's folder (or
    // the per-user fallback), with the manager's data-file name.
    static COrvixApp ForManagerFiles();

    // Writes both INI sections: the defaults and the settings read at start.
    void SaveDefaults() { m_paramFile.Save(m_settings); }
    const NODEPARAM& GetDefaultParam() const { return m_paramFile.m_param; }

    std::string m_strDataPath;
    // Where the manager's own files go (with its trailing slash): the
    // executable's folder, or the per-user folder when that is not writable.
    std::string m_strFilesDir;
    CParamFile m_paramFile;
    SAppSettings m_settings;

private:
    void Init(const SModulePath& module, const std::string& strFallbackDir);
};
