// The main window's figures, side by side in one run: rebuilding the node list
// for 1024 rows, sorting 1024 rows by each column, start-up of the real window
// to its first paint with an empty and with a 64 x 1024-node data file
// (resident memory too), and a broadcast search delivered into the list.
// Run it through bench/run-shell-bench: the start-up and the search need a
// test network of their own (the port, the broadcast). `shell_bench
// --write-data FILE` writes the 64 x 1024-node data file alone.
#include "MemoryDatagramSocket.h"
#include "NetGuard.h"
#include "ScratchDir.h"
#include "app/NodeListModel.h"
#include "doc/OrvixDoc.h"
#include "gui/MainFrame.h"
#include "gui/ManagerMain.h"
#include "gui/OrvixView.h"
#include "gui/QtMessagePump.h"
#include "gui/QtUi.h"
#include "ops/NodeSearch.h"
#include "params/ParamFile.h"
#include "platform/Clock.h"
#include "platform/PosixDatagramSocket.h"
#include "ui/DialogModel.h"

#include <QApplication>
#include <QProcess>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <vector>

namespace {
using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double CpuSeconds() {
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    return double(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) +
           double(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
}

double Median(std::vector<double> vec) {
    std::sort(vec.begin(), vec.end());
    return vec[vec.size() / 2];
}

// "VmRSS" or "VmHWM" of this process, in kB.
long ProcStatusKb(const char* pszKey) {
    std::ifstream in("/proc/self/status");
    std::string strLine;
    while (std::getline(in, strLine)) {
        if (strLine.rfind(pszKey, 0) == 0) {
            return std::atol(strLine.c_str() + std::strlen(pszKey) + 1);
        }
    }
    return -1;
}

// The window over a document on the in-memory socket.
struct SWindow {
    SWindow() : ui(&frame) {
        std::memset(&param, 0, sizeof param);
        frame.SetParamFile(&paramFile);
        pDoc = std::make_unique<COrvixDoc>(SDocEnv{ui, pump, clock, settings, param, ""},
                                           std::make_unique<CMemoryDatagramSocket>());
        frame.SetDocument(pDoc.get());
        pDoc->UpdateAllViews();
    }
    ~SWindow() {
        frame.SetDocument(nullptr);
        pDoc.reset();
    }
    CSystemClock clock;
    CQtMessagePump pump;
    CMainFrame frame;
    CQtUi ui;
    SAppSettings settings;
    NODEPARAM param;
    CParamFile paramFile;
    std::unique_ptr<COrvixDoc> pDoc;
};

// A network of nNodes nodes with varied texts in every column.
void FillNetwork(COrvixDoc& doc, const std::string& strName, int nNodes, uint32_t dwSeed) {
    doc.AddNetwork(strName, 0xFFFF0000u, 0x0A3E0001u);
    doc.HoldViewUpdates();
    uint32_t dw = dwSeed;
    for (int i = 0; i < nNodes; ++i) {
        dw = dw * 1103515245u + 12345u;
        char szMac[13];
        std::snprintf(szMac, sizeof szMac, "02%02X%08X", static_cast<unsigned>(dwSeed & 0xFF),
                      static_cast<unsigned>(i));
        char szSerial[16];
        std::snprintf(szSerial, sizeof szSerial, "S%07u", (dw >> 8) % 10000000u);
        char szRemarks[32];
        std::snprintf(szRemarks, sizeof szRemarks, "rack %u slot %u", (dw >> 4) % 40u,
                      (dw >> 12) % 16u);
        doc.AddOrUpdateNode(0, 0xC0A80000u | ((dw >> 3) & 0xFFFFu), szMac, true, szSerial,
                            szRemarks);
    }
    doc.ReleaseViewUpdates();
}

void BenchRebuildAndSort() {
    SWindow win;
    win.frame.show();
    FillNetwork(*win.pDoc, "BENCH", 1024, 7);
    COrvixView& view = *win.frame.GetView();
    std::printf("node list rows: %d\n", view.GetRowCount());

    // The core's rows alone, then the whole update the window makes.
    CNodeListModel model;
    std::vector<double> vecModel;
    std::vector<double> vecUpdate;
    for (int i = 0; i < 50; ++i) {
        auto start = Clock::now();
        model.Rebuild(*win.pDoc);
        vecModel.push_back(MsSince(start));
        start = Clock::now();
        win.pDoc->UpdateAllViews();
        vecUpdate.push_back(MsSince(start));
    }
    std::printf("list rebuild, 1024 rows: rows %.3f ms, whole update of the window %.3f ms "
                "(median of 50; goal <= 20 ms)\n",
                Median(vecModel), Median(vecUpdate));
    std::vector<double> vecPaint;
    for (int i = 0; i < 20; ++i) {
        auto start = Clock::now();
        QPixmap pixmap = view.viewport()->grab();
        vecPaint.push_back(MsSince(start));
    }
    std::printf("list paint of the visible rows: first %.3f ms, then %.3f ms (median of 20)\n",
                vecPaint.front(), Median(vecPaint));

    static const char* const s_arrTitles[] = {"No.", "model", "serial", "MAC", "IP", "remarks"};
    for (int nColumn = 0; nColumn < NODELIST_COLUMNS; ++nColumn) {
        std::vector<double> vec;
        int nRebuilds = view.GetRebuildCount();
        for (int i = 0; i < 10; ++i) {
            auto start = Clock::now();
            view.SortByColumn(nColumn);
            vec.push_back(MsSince(start));
        }
        std::printf("sort 1024 rows by %-7s %.3f ms (median of 10, nodes re-ordered and "
                    "list rebuilt; %d rebuilds for 10 sorts)\n",
                    s_arrTitles[nColumn], Median(vec), view.GetRebuildCount() - nRebuilds);
    }
}

// A UI without anyone to answer: the data files are written without a word.
class CQuietUi : public CUi {
public:
    EMsgAnswer MessageBox(const std::string& strText, EMsgButtons, EMsgIcon,
                          const std::string&) override {
        std::fprintf(stderr, "message: %s\n", strText.c_str());
        return EMsgAnswer::Ok;
    }
    int DoModal(CDialogModel&) override { return DIALOG_CANCEL; }
    void OpenModeless(CDialogModel&) override {}
    void RefreshModeless(CDialogModel&) override {}
    void CloseModeless(CDialogModel&) override {}
    bool ChooseFileToOpen(const SFileChoice&, std::string&) override { return false; }
    bool OpenWithDesktop(const std::string&) override { return false; }
    void SetStatusText(const std::string&) override {}
    void EnableMainWindow(bool) override {}
    void BeginWaitCursor() override {}
    void RestoreWaitCursor() override {}
    void EndWaitCursor() override {}
    void UpdateAllViews() override {}
};

void WriteDataFile(const std::string& strPath, int nNetworks, int nNodes) {
    CQuietUi ui;
    CSystemClock clock;
    CQtMessagePump pump;
    SAppSettings settings;
    NODEPARAM param{};
    ::unlink(strPath.c_str());
    COrvixDoc doc(SDocEnv{ui, pump, clock, settings, param, strPath},
                  std::make_unique<CMemoryDatagramSocket>());
    for (int i = 0; i < nNetworks; ++i) {
        FillNetwork(doc, "NET" + std::to_string(i), nNodes, static_cast<uint32_t>(i + 1));
    }
}

// One start of the real window in a child process: milliseconds from the start
// of the process to the first paint of the node list, and its memory then.
bool MeasureStart(const char* pszSelf, const CScratchDir& dir, const std::string& strData,
                  double& dMs, long& nRssKb, long& nPeakKb) {
    std::string strRuntime = dir.File("run");
    ::mkdir(strRuntime.c_str(), 0700);
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("HOME", QString::fromStdString(dir.Dir()));
    env.insert("XDG_RUNTIME_DIR", QString::fromStdString(strRuntime));
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    auto start = Clock::now();
    child.start(pszSelf, {"--startup-child", QString::fromStdString(strData)});
    while (!child.canReadLine()) {
        if (!child.waitForReadyRead(30000)) {
            std::fprintf(stderr, "shell_bench: the window did not paint\n");
            child.kill();
            child.waitForFinished();
            return false;
        }
    }
    dMs = MsSince(start);
    QByteArray line = child.readLine();
    std::sscanf(line.constData(), "painted %ld %ld", &nRssKb, &nPeakKb);
    child.waitForFinished(60000);
    return true;
}

void BenchStartUp(const char* pszSelf) {
    CScratchDir dir;
    std::string strEmpty = dir.File("empty.dat");
    std::string strBig = dir.File("big.dat");
    WriteDataFile(strBig, 64, 1024);
    struct stat st {};
    ::stat(strBig.c_str(), &st);
    for (const auto& [pszName, strPath] :
         {std::pair<const char*, std::string>{"empty data file", strEmpty},
          {"64 x 1024 nodes", strBig}}) {
        std::vector<double> vecMs;
        long nRss = 0;
        long nPeak = 0;
        for (int i = 0; i < 5; ++i) {
            if (strPath == strEmpty) {
                ::unlink(strEmpty.c_str());
            }
            double dMs = 0;
            if (!MeasureStart(pszSelf, dir, strPath, dMs, nRss, nPeak)) {
                return;
            }
            vecMs.push_back(dMs);
        }
        std::printf("start-up to the first painted window, %s: %.1f ms (median of 5; goal "
                    "<= 250 ms), resident %.1f MB, peak %.1f MB (goal <= 80 MB)\n",
                    pszName, Median(vecMs), nRss / 1024.0, nPeak / 1024.0);
    }
    std::printf("(64 x 1024-node data file: %.1f MB)\n", st.st_size / (1024.0 * 1024.0));
}

void BenchSearchIntoList() {
    CSystemClock clock;
    CQtMessagePump pump;
    CMainFrame frame;
    CQtUi ui(&frame);
    SAppSettings settings;
    NODEPARAM param{};
    CParamFile paramFile;
    frame.SetParamFile(&paramFile);
    COrvixDoc doc(SDocEnv{ui, pump, clock, settings, param, ""},
                  std::make_unique<CPosixDatagramSocket>());
    frame.SetDocument(&doc);
    frame.show();
    doc.AddNetwork("BENCH", 0xFFFF0000u, 0x0A3E0001u);
    COrvixView& view = *frame.GetView();
    int nRebuilds = view.GetRebuildCount();
    double dCpuStart = CpuSeconds();
    auto start = Clock::now();
    // As the menu item runs it.
    frame.RunCommand(32782);
    double dWall = MsSince(start) / 1000.0;
    double dCpu = CpuSeconds() - dCpuStart;
    double dFloor = (16 * 51 + settings.m_nTimeoutSearch) / 1000.0;
    std::printf("search into the list: %d rows, wall %.3f s = %.3f x the protocol floor "
                "(16 x 51 ms + %u ms; goal <= 1.03), CPU %.3f s = %.1f %% of the wall time "
                "(goal <= 2 %%), list rebuilds %d\n",
                view.GetRowCount(), dWall, dWall / dFloor,
                static_cast<unsigned>(settings.m_nTimeoutSearch), dCpu, 100.0 * dCpu / dWall,
                view.GetRebuildCount() - nRebuilds);
    frame.SetDocument(nullptr);
}

// The child of a start-up measurement: the real start-up, reporting the first
// paint of the node list and ending there.
int RunStartupChild(int argc, char** argv) {
    SStartHooks hooks;
    struct CPaintWatch : QObject {
        bool eventFilter(QObject* pWatched, QEvent* pEvent) override {
            if (pEvent->type() == QEvent::Paint && !bSeen) {
                bSeen = true;
                // After this paint has been done.
                QMetaObject::invokeMethod(
                    this,
                    [] {
                        std::printf("painted %ld %ld\n", ProcStatusKb("VmRSS:"),
                                    ProcStatusKb("VmHWM:"));
                        std::fflush(stdout);
                        // Measured: no need to save the data file again.
                        std::_Exit(0);
                    },
                    Qt::QueuedConnection);
            }
            return QObject::eventFilter(pWatched, pEvent);
        }
        bool bSeen = false;
    };
    auto pWatch = std::make_unique<CPaintWatch>();
    hooks.fnShown = [&pWatch](CMainFrame& frame) {
        frame.GetView()->viewport()->installEventFilter(pWatch.get());
    };
    // argv[1] is --startup-child; the manager sees the rest.
    std::vector<char*> vecArgs{argv[0]};
    for (int i = 2; i < argc; ++i) {
        vecArgs.push_back(argv[i]);
    }
    vecArgs.push_back(nullptr);
    int nArgs = static_cast<int>(vecArgs.size()) - 1;
    return RunManager(nArgs, vecArgs.data(), hooks);
}
} // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "--startup-child") == 0) {
        return RunStartupChild(argc, argv);
    }
    if (argc == 3 && std::strcmp(argv[1], "--write-data") == 0) {
        // The 64 x 1024-node data file on its own, for looking into the start-up.
        QApplication app(argc, argv);
        WriteDataFile(argv[2], 64, 1024);
        return 0;
    }
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    QApplication app(argc, argv);
    BenchRebuildAndSort();
    if (!IsInsideOwnNetNamespace()) {
        std::printf("start-up and search: skipped, they run inside a test network "
                    "(bench/run-shell-bench)\n");
        return 0;
    }
    BenchStartUp(argv[0]);
    BenchSearchIntoList();
    return 0;
}
