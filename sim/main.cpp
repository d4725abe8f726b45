// mrvsim: simulated MRV-620 nodes on a network segment. See README.md,
// "Simulated nodes", for the options, the configuration file and the control
// channel.
#include "SimConfig.h"
#include "Simulator.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/signalfd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
const char* const USAGE =
    "usage: mrvsim [options]\n"
    "  --config FILE        nodes from a configuration file\n"
    "  --nodes N            N generated nodes (after those of the file)\n"
    "  --unaddressed K      the last K generated nodes keep 192.168.200.254\n"
    "  --base-ip A.B.C.D    first generated address (192.168.1.1)\n"
    "  --mac-base MAC       first generated MAC (026200000001)\n"
    "  --restart MS         restart time of every node (2000)\n"
    "  --probes N           search probes every node answers (16)\n"
    "  --control PATH       control socket (default: $MRVSIM_CONTROL)\n"
    "  --udp-port P         device port (65533)\n"
    "  --ftp-port P         FTP port (21)\n"
    "  --allow-own-namespace  run outside a test network, serving loopback peers only\n"
    "  --verbose            log every request and FTP command to stderr\n";

bool InsideOwnNetNamespace() {
    // The machine's namespace is that of PID 1, or, where that cannot be read (a
    // sandbox), the one scripts/testnet started in and names in MRVT_HOST_NETNS.
    struct stat stSelf {};
    if (stat("/proc/self/ns/net", &stSelf) != 0) {
        return false;
    }
    struct stat stInit {};
    if (stat("/proc/1/ns/net", &stInit) == 0) {
        return stSelf.st_ino != stInit.st_ino;
    }
    const char* pszHost = std::getenv("MRVT_HOST_NETNS");
    if (pszHost == nullptr || *pszHost == '\0') {
        return false; // cannot tell: treat as the machine's own
    }
    return std::to_string(stSelf.st_ino) != pszHost;
}

bool ReadNumber(const char* psz, unsigned long nMax, unsigned long& n) {
    char* pEnd = nullptr;
    n = std::strtoul(psz, &pEnd, 10);
    return *psz != '\0' && *pEnd == '\0' && n <= nMax;
}

int Fail(const std::string& str) {
    std::fprintf(stderr, "mrvsim: %s\n", str.c_str());
    return 2;
}
} // namespace

int main(int argc, char** argv) {
    SSimOptions options;
    if (const char* pszControl = std::getenv("MRVSIM_CONTROL")) {
        options.strControl = pszControl;
    }
    std::string strConfig;
    unsigned long nNodes = 0, nUnaddressed = 0, nPort = 0;
    long nRestart = -1, nProbes = -1;
    uint32_t dwBaseIp = 0xC0A80101u; // 192.168.1.1
    SimMac macBase{0x02, 0x62, 0x00, 0x00, 0x00, 0x01};
    bool bAllowOwn = false;

    for (int i = 1; i < argc; ++i) {
        std::string strArg = argv[i];
        auto value = [&]() -> const char* {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "mrvsim: %s needs a value\n", strArg.c_str());
                std::exit(2);
            }
            return argv[++i];
        };
        unsigned long n = 0;
        if (strArg == "--config") {
            strConfig = value();
        } else if (strArg == "--nodes") {
            if (!ReadNumber(value(), 65536, nNodes)) {
                return Fail("bad --nodes");
            }
        } else if (strArg == "--unaddressed") {
            if (!ReadNumber(value(), 65536, nUnaddressed)) {
                return Fail("bad --unaddressed");
            }
        } else if (strArg == "--base-ip") {
            if (!SimTextToIp(value(), dwBaseIp)) {
                return Fail("bad --base-ip");
            }
        } else if (strArg == "--mac-base") {
            if (!SimTextToMac(value(), macBase)) {
                return Fail("bad --mac-base (12 hex digits)");
            }
        } else if (strArg == "--restart") {
            if (!ReadNumber(value(), 600000, n)) {
                return Fail("bad --restart");
            }
            nRestart = long(n);
        } else if (strArg == "--probes") {
            if (!ReadNumber(value(), SIM_PROBE_COUNT, n)) {
                return Fail("bad --probes");
            }
            nProbes = long(n);
        } else if (strArg == "--control") {
            options.strControl = value();
        } else if (strArg == "--udp-port" || strArg == "--ftp-port") {
            if (!ReadNumber(value(), 65535, nPort) || nPort == 0) {
                return Fail("bad " + strArg);
            }
            (strArg == "--udp-port" ? options.wUdpPort : options.wFtpPort) = uint16_t(nPort);
        } else if (strArg == "--allow-own-namespace") {
            bAllowOwn = true;
        } else if (strArg == "--verbose") {
            options.bVerbose = true;
        } else if (strArg == "--help" || strArg == "-h") {
            std::fputs(USAGE, stdout);
            return 0;
        } else {
            std::fputs(USAGE, stderr);
            return Fail("unknown option " + strArg);
        }
    }

    if (!InsideOwnNetNamespace()) {
        if (!bAllowOwn) {
            return Fail("refusing to run in the machine's own network namespace; start it "
                        "inside a test network (scripts/testnet) or give --allow-own-namespace "
                        "to serve loopback peers only");
        }
        options.bLoopbackOnly = true;
    }

    SimNodeList nodes;
    std::string strError;
    if (!strConfig.empty()) {
        std::ifstream in(strConfig, std::ios::binary);
        if (!in) {
            return Fail("cannot read " + strConfig);
        }
        std::ostringstream text;
        text << in.rdbuf();
        if (!SimLoadConfig(text.str(), nodes, strError)) {
            return Fail(strConfig + ": " + strError);
        }
    }
    if (nNodes > 0 && !SimGenerateNodes(nNodes, nUnaddressed, dwBaseIp, macBase, nodes, strError)) {
        return Fail(strError);
    }
    if (nodes.empty()) {
        return Fail("no nodes: give --config or --nodes");
    }
    for (auto& pNode : nodes) {
        if (nRestart >= 0) {
            pNode->m_nRestartMs = unsigned(nRestart);
        }
        if (nProbes >= 0) {
            pNode->m_nProbes = unsigned(nProbes);
        }
    }

    // A listener per node address in download mode, plus sessions: more than the
    // usual 1024 descriptors.
    rlimit rl{};
    if (getrlimit(RLIMIT_NOFILE, &rl) == 0 && rl.rlim_cur < rl.rlim_max) {
        rl.rlim_cur = rl.rlim_max;
        setrlimit(RLIMIT_NOFILE, &rl);
    }
    std::signal(SIGPIPE, SIG_IGN);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    sigprocmask(SIG_BLOCK, &set, nullptr);
    int fdSignal = signalfd(-1, &set, SFD_CLOEXEC | SFD_NONBLOCK);

    size_t nCount = nodes.size();
    CSimulator sim(options, std::move(nodes));
    if (!sim.Start(strError)) {
        return Fail(strError);
    }
    if (fdSignal >= 0) {
        sim.Loop().Watch(fdSignal, POLLIN, [&sim](short) { sim.Stop(); });
    }
    std::printf("mrvsim ready nodes=%zu control=%s\n", nCount,
                options.strControl.empty() ? "-" : options.strControl.c_str());
    std::fflush(stdout);
    sim.Run();
    return 0;
}
