// Wall time of an application batch to N simulated nodes (default 16) with
// the real ftp client, against the floor of its fixed pauses (the restart
// pause after each node's first mode change). Run it through
// bench/run-batch-bench, which sets up the test network; an optional second
// argument shortens every pause by that divisor.
#include "NetGuard.h"
#include "ScriptedUi.h"
#include "ShortPauseClock.h"
#include "doc/OrvixDoc.h"
#include "ops/DownloadBatch.h"
#include "ops/DownloadProgressDlg.h"
#include "ops/NodeDownload.h"
#include "platform/PollMessagePump.h"
#include "platform/PosixDatagramSocket.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {
const char IMAGE[] = "S0100000544553544150502056312E303297\r\n"
                     "S1130000000102030405060708090A0B0C0D0E0F74\r\n"
                     "S9030000FC\r\n";
// mrvsim's generated nodes: MACs from 026200000001, addresses from 192.168.1.1.
constexpr uint32_t NODE_BASE_IP = 0xC0A80101u;
} // namespace

int main(int argc, char** argv) {
    if (!IsInsideOwnNetNamespace()) {
        std::fprintf(stderr, "batch_bench: runs only inside a test network namespace\n");
        return 2;
    }
    int nNodes = argc > 1 ? std::atoi(argv[1]) : 16;
    uint32_t nDivisor = argc > 2 ? static_cast<uint32_t>(std::atoi(argv[2])) : 1;
    if (nNodes < 1 || nNodes > 16) {
        std::fprintf(stderr, "batch_bench: 1 to 16 nodes\n");
        return 2;
    }
    char szDir[] = "/tmp/batch-bench-XXXXXX";
    if (::mkdtemp(szDir) == nullptr) {
        return 2;
    }
    std::filesystem::path dir(szDir);
    std::string strImage = (dir / "BENCH.mot").string();
    std::ofstream(strImage, std::ios::binary) << IMAGE;

    CScriptedUi ui;
    CShortPauseClock clock(nDivisor);
    CPollMessagePump pump;
    SAppSettings settings;
    NODEPARAM param{};
    int nResult = 0;
    {
        COrvixDoc doc(SDocEnv{ui, pump, clock, settings, param, ""},
                      std::make_unique<CPosixDatagramSocket>());
        doc.AddNetwork("BENCH", 0xFFFFFF00u, 0xC0A80101u);
        std::string strTargets;
        for (int n = 0; n < nNodes; ++n) {
            char szMac[16];
            std::snprintf(szMac, sizeof szMac, "0262%08X", n + 1);
            doc.AddOrUpdateNode(0, NODE_BASE_IP + static_cast<uint32_t>(n), szMac, true, "", "");
        }
        strTargets = RegisteredAddressText(doc);
        ui.ExpectMessage("全てのﾉｰﾄﾞへのﾀﾞｳﾝﾛｰﾄﾞが正常に終了しました｡");
        CDownloadProgressDlg progress;

        auto start = std::chrono::steady_clock::now();
        DownloadBatch(doc, progress, strImage, strTargets, BATCH_APPLICATION);
        double dWall =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        double dFloor = nNodes * clock.Shorten(DOWNLOAD_RESTART_PAUSE_MS) / 1000.0;

        int nOk = 0;
        for (const auto& vecRow : progress.GetRows(IDC_PROGRESS_LIST)) {
            nOk += vecRow.size() == 3 && vecRow[2] == "OK" ? 1 : 0;
        }
        std::printf("nodes: %d, downloaded: %d\n", nNodes, nOk);
        std::printf("batch wall time: %.3f s\n", dWall);
        std::printf("fixed pauses (floor): %.3f s (%d x %u ms)\n", dFloor, nNodes,
                    clock.Shorten(DOWNLOAD_RESTART_PAUSE_MS));
        std::printf("above the floor: %.3f s (%.3f s per node)\n", dWall - dFloor,
                    (dWall - dFloor) / nNodes);
        for (const auto& msg : ui.m_vecMessages) {
            std::printf("message: %s\n", msg.strText.c_str());
        }
        nResult = nOk == nNodes ? 0 : 1;
        if (progress.IsOpen()) {
            progress.End(ui);
            progress.OnCommand(ui, 1);
        }
    }
    std::filesystem::remove_all(dir);
    return nResult;
}
