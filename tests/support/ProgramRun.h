#pragma once
// Runs a program to its end without a shell, with its standard output and
// error kept apart, for tests of command-line programs.
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

// vecEnv: NAME=VALUE pairs put over the current environment; strDir: where
// the output files go (and the working directory).
inline SProgramRun RunProgram(const std::vector<std::string>& vecArgs,
                              const std::vector<std::string>& vecEnv, const std::string& strDir) {
    SProgramRun run;
    std::string strOutPath = strDir + "/.run-out";
    std::string strErrPath = strDir + "/.run-err";
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
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, strOutPath.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, strErrPath.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addchdir_np(&actions, strDir.c_str());
    pid_t pid = -1;
    int nError = posix_spawn(&pid, vecArgv[0], &actions, nullptr, vecArgv.data(), vecEnvp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (nError != 0) {
        run.strErr = "cannot start " + vecArgs[0];
        return run;
    }
    int nStatus = 0;
    while (waitpid(pid, &nStatus, 0) < 0) {
    }
    run.nExit = WIFEXITED(nStatus) ? WEXITSTATUS(nStatus) : -1;
    auto Read = [](const std::string& strPath) {
        std::ifstream in(strPath, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    };
    run.strOut = Read(strOutPath);
    run.strErr = Read(strErrPath);
    ::unlink(strOutPath.c_str());
    ::unlink(strErrPath.c_str());
    return run;
}
