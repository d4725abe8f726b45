#pragma once
// Runs a program to its end without a shell, with its standard output and
// error kept apart, for tests of command-line programs.
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

struct SProgramRun {
    int nExit = -1; // the exit status; -1 when it did not end normally
    std::string strOut;
    std::string strErr;
};

// A program started and not yet waited for.
struct SProgramHandle {
    pid_t pid = -1;
    std::string strOutPath;
    std::string strErrPath;
    std::string strStartError;
};

// vecEnv: NAME=VALUE pairs put over the current environment; strDir: where
// the output files go (and the working directory); strTag tells apart the
// output files of programs that run at once.
inline SProgramHandle StartProgram(const std::vector<std::string>& vecArgs,
                                   const std::vector<std::string>& vecEnv,
                                   const std::string& strDir, const std::string& strTag = "") {
    SProgramHandle handle;
    handle.strOutPath = strDir + "/.run-out" + strTag;
    handle.strErrPath = strDir + "/.run-err" + strTag;
    std::vector<std::string> vecEnvAll;
    for (char** pp = environ; *pp != nullptr; ++pp) {
        std::string str = *pp;
        bool bOverridden = false;
        for (const std::string& strSet : vecEnv) {
            bOverridden = bOverridden || str.rfind(strSet.substr(0, strSet.find('=') + 1), 0) == 0;
        }
        if (!bOverridden) {
            vecEnvAll.push_back(str);
        }
    }
    vecEnvAll.insert(vecEnvAll.end(), vecEnv.begin(), vecEnv.end());
    std::vector<char*> vecArgv;
    std::vector<std::string> vecArgsCopy = vecArgs;
    for (std::string& str : vecArgsCopy) {
        vecArgv.push_back(str.data());
    }
    vecArgv.push_back(nullptr);
    std::vector<char*> vecEnvp;
    for (std::string& str : vecEnvAll) {
        vecEnvp.push_back(str.data());
    }
    vecEnvp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, handle.strOutPath.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, handle.strErrPath.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addchdir_np(&actions, strDir.c_str());
    // The termination signals reach it even where a shell started us with them ignored.
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    sigset_t setDefault;
    sigemptyset(&setDefault);
    for (int nSig : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
        sigaddset(&setDefault, nSig);
    }
    sigset_t setEmpty;
    sigemptyset(&setEmpty);
    posix_spawnattr_setsigdefault(&attr, &setDefault);
    posix_spawnattr_setsigmask(&attr, &setEmpty);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
    int nError =
        posix_spawn(&handle.pid, vecArgv[0], &actions, &attr, vecArgv.data(), vecEnvp.data());
    posix_spawnattr_destroy(&attr);
    posix_spawn_file_actions_destroy(&actions);
    if (nError != 0) {
        handle.pid = -1;
        handle.strStartError = "cannot start " + vecArgs[0];
    }
    return handle;
}

// Waits for the program's end; its output files are read and removed.
inline SProgramRun FinishProgram(const SProgramHandle& handle) {
    SProgramRun run;
    if (handle.pid < 0) {
        run.strErr = handle.strStartError;
        return run;
    }
    int nStatus = 0;
    while (waitpid(handle.pid, &nStatus, 0) < 0) {
    }
    run.nExit = WIFEXITED(nStatus) ? WEXITSTATUS(nStatus) : -1;
    auto Read = [](const std::string& strPath) {
        std::ifstream in(strPath, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    };
    run.strOut = Read(handle.strOutPath);
    run.strErr = Read(handle.strErrPath);
    ::unlink(handle.strOutPath.c_str());
    ::unlink(handle.strErrPath.c_str());
    return run;
}

inline SProgramRun RunProgram(const std::vector<std::string>& vecArgs,
                              const std::vector<std::string>& vecEnv, const std::string& strDir) {
    return FinishProgram(StartProgram(vecArgs, vecEnv, strDir));
}
