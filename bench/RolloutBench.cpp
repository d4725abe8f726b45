// A rollout (mrvctl download --parallel) to NODES simulated nodes, PARALLEL
// at once, with the real ftp client, run as mrvctl runs it. First one node
// alone, for the time a node needs by itself; then all of them. Prints the
// nodes loaded, failed and checked, the wall time against the floor (NODES /
// PARALLEL x the time of one node alone), the manager's CPU time, its peak
// descriptors and resident memory, the most clients and working folders at
// once, and the machine's load. Run it through bench/run-rollout-bench,
// which sets up the test network; DIVISOR shortens every pause.
#include "NetGuard.h"
#include "ShortPauseClock.h"
#include "cli/CtlCommands.h"
#include "cli/CtlUi.h"
#include "doc/OrvixDoc.h"
#include "params/ParamFile.h"
#include "platform/PollMessagePump.h"
#include "platform/PosixDatagramSocket.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <filesystem>
#include <fstream>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

namespace {
const char IMAGE[] = "S0100000544553544150502056312E303297\r\n"
                     "S1130000000102030405060708090A0B0C0D0E0F74\r\n"
                     "S9030000FC\r\n";

size_t CountEntries(const char* pszDir) {
    size_t n = 0;
    if (DIR* pDir = ::opendir(pszDir)) {
        while (dirent* pEntry = ::readdir(pDir)) {
            n += pEntry->d_name[0] != '.' ? 1 : 0;
        }
        ::closedir(pDir);
    }
    return n;
}

// Our children now (the clients), from the kernel's list of them.
size_t CountChildren() {
    std::ifstream in("/proc/self/task/" + std::to_string(::getpid()) + "/children");
    size_t n = 0;
    std::string strPid;
    while (in >> strPid) {
        ++n;
    }
    return n;
}

std::string LoadAverage() {
    std::ifstream in("/proc/loadavg");
    std::string str1, str5, str15;
    in >> str1 >> str5 >> str15;
    return str1 + " " + str5 + " " + str15;
}

double CpuSeconds(int nWho) {
    rusage usage{};
    ::getrusage(nWho, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// mrvsim's generated nodes: MACs from 026200000001, addresses from
// 192.168.1.1 on, passing over .0 and .255.
std::vector<std::pair<std::string, uint32_t>> SimulatedNodes(int nNodes) {
    std::vector<std::pair<std::string, uint32_t>> vec;
    uint32_t dwIp = 0xC0A80101u;
    for (int n = 0; n < nNodes; ++n) {
        while ((dwIp & 0xFF) == 0 || (dwIp & 0xFF) == 0xFF) {
            ++dwIp;
        }
        char szMac[16];
        std::snprintf(szMac, sizeof szMac, "0262%08X", n + 1);
        vec.emplace_back(szMac, dwIp++);
    }
    return vec;
}

struct SRun {
    int nExit = 0;
    size_t nLoaded = 0;
    size_t nFailed = 0;
    size_t nChecked = 0;
    double dWall = 0;
};

SRun RunCommand(COrvixDoc& doc, CParamFile& paramFile, const std::vector<std::string>& vecArgs) {
    CCtlUi ui; // nothing printed: the figures are the output
    SCtlArgs args;
    SCtlResult result;
    std::vector<std::string> vecArgv{"mrvctl"};
    vecArgv.insert(vecArgv.end(), vecArgs.begin(), vecArgs.end());
    std::string strError;
    SRun run;
    if (ParseCtlArgs(vecArgv, args, strError) != 0) {
        std::fprintf(stderr, "rollout_bench: %s\n", strError.c_str());
        run.nExit = 2;
        return run;
    }
    SCtlContext ctx{doc, paramFile, ui, args, result};
    auto start = std::chrono::steady_clock::now();
    RunCtlCommand(ctx);
    run.dWall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.nExit = ui.GetExit();
    std::string strJson = result.json.Dump();
    for (size_t nPos = 0; (nPos = strJson.find("\"result\":\"", nPos)) != std::string::npos;) {
        nPos += 10;
        run.nLoaded += strJson.compare(nPos, 7, "loaded\"") == 0 ? 1 : 0;
        run.nFailed += strJson.compare(nPos, 7, "failed\"") == 0 ? 1 : 0;
    }
    for (size_t nPos = 0;
         (nPos = strJson.find("\"checked\":\"version\"", nPos)) != std::string::npos; ++nPos) {
        ++run.nChecked;
    }
    for (const CCtlUi::SMessage& message : ui.GetMessages()) {
        if (message.nExit != 0) {
            std::printf("message: %s\n", message.strText.substr(0, 200).c_str());
        }
    }
    return run;
}
} // namespace

int main(int argc, char** argv) {
    if (!IsInsideOwnNetNamespace()) {
        std::fprintf(stderr, "rollout_bench: runs only inside a test network namespace\n");
        return 2;
    }
    const int nNodes = argc > 1 ? std::atoi(argv[1]) : 64;
    const int nParallel = argc > 2 ? std::atoi(argv[2]) : 16;
    const uint32_t nDivisor = argc > 3 ? static_cast<uint32_t>(std::atoi(argv[3])) : 1;
    if (nNodes < 1 || nNodes > 1024 || nParallel < 1 || nParallel > 64) {
        std::fprintf(stderr, "rollout_bench: 1 to 1024 nodes, 1 to 64 at once\n");
        return 2;
    }
    char szDir[] = "/tmp/rollout-bench-XXXXXX";
    if (::mkdtemp(szDir) == nullptr) {
        return 2;
    }
    const std::filesystem::path dir(szDir);
    std::filesystem::create_directories(dir / "tmp");
    ::setenv("TMPDIR", (dir / "tmp").c_str(), 1);
    const std::string strImage = (dir / "BENCH.mot").string();
    std::ofstream(strImage, std::ios::binary) << IMAGE;

    CCtlUi ui;
    CShortPauseClock clock(nDivisor);
    CPollMessagePump pump;
    SAppSettings settings;
    CParamFile paramFile;
    paramFile.m_strPath = (dir / "DefParam.ini").string();
    paramFile.LoadParams();
    int nResult = 1;
    {
        COrvixDoc doc(SDocEnv{ui, pump, clock, settings, paramFile.m_param, ""},
                      std::make_unique<CPosixDatagramSocket>());
        doc.AddNetwork("BENCH", 0xFFFF0000u, 0xC0A8FFFEu);
        const auto vecNodes = SimulatedNodes(nNodes);
        for (const auto& [strMac, dwIp] : vecNodes) {
            doc.AddOrUpdateNode(0, dwIp, strMac, true, "", "");
        }

        // One node alone.
        SRun solo = RunCommand(
            doc, paramFile,
            {"download", "app", strImage, vecNodes.back().first, "--parallel", "1", "--yes"});
        if (solo.nLoaded != 1) {
            std::fprintf(stderr, "rollout_bench: the node alone was not loaded\n");
            return 1;
        }

        // All of them, watched from a second thread of this program (the
        // manager's own work stays on its one thread).
        const size_t nFdsBefore = CountEntries("/proc/self/fd");
        std::atomic<bool> bDone{false};
        std::atomic<size_t> nPeakFds{0};
        std::atomic<size_t> nPeakClients{0};
        std::atomic<size_t> nPeakFolders{0};
        std::thread watcher([&] {
            while (!bDone) {
                auto Raise = [](std::atomic<size_t>& nPeak, size_t n) {
                    if (n > nPeak) {
                        nPeak = n;
                    }
                };
                Raise(nPeakFds, CountEntries("/proc/self/fd") - 1); // less the watcher's own
                Raise(nPeakClients, CountChildren());
                Raise(nPeakFolders, CountEntries((dir / "tmp").c_str()));
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
        });
        const std::string strLoadBefore = LoadAverage();
        const double dCpuBefore = CpuSeconds(RUSAGE_SELF);
        const double dChildrenBefore = CpuSeconds(RUSAGE_CHILDREN);
        SRun all = RunCommand(doc, paramFile,
                              {"download", "app", strImage, "--all", "--parallel",
                               std::to_string(nParallel), "--yes"});
        const double dCpu = CpuSeconds(RUSAGE_SELF) - dCpuBefore;
        const double dChildren = CpuSeconds(RUSAGE_CHILDREN) - dChildrenBefore;
        bDone = true;
        watcher.join();
        rusage usage{};
        ::getrusage(RUSAGE_SELF, &usage);

        const double dFloor = static_cast<double>(nNodes) / nParallel * solo.dWall;
        std::printf("nodes %d, parallel %d, pauses 1/%u\n", nNodes, nParallel, nDivisor);
        std::printf("loaded %zu, failed %zu, checked by version %zu\n", all.nLoaded, all.nFailed,
                    all.nChecked);
        std::printf("one node alone: %.3f s\n", solo.dWall);
        std::printf("wall %.1f s, floor %.1f s, ratio %.3f\n", all.dWall, dFloor,
                    all.dWall / dFloor);
        std::printf("manager cpu %.2f s (%.1f %% of wall); clients' cpu %.2f s\n", dCpu,
                    100.0 * dCpu / all.dWall, dChildren);
        std::printf("descriptors %zu before, peak %zu; peak clients %zu, peak folders %zu\n",
                    nFdsBefore, nPeakFds.load(), nPeakClients.load(), nPeakFolders.load());
        std::printf("peak resident memory %.1f MB\n", usage.ru_maxrss / 1024.0);
        std::printf("load average before %s, after %s\n", strLoadBefore.c_str(),
                    LoadAverage().c_str());
        nResult = all.nLoaded == static_cast<size_t>(nNodes) ? 0 : 1;
    }
    std::filesystem::remove_all(dir);
    return nResult;
}
