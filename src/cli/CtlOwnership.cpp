#include "cli/CtlOwnership.h"

#include "app/OrvixApp.h"
#include "cli/CtlUi.h"
#include "platform/DataFileLock.h"
#include "platform/PosixDatagramSocket.h"
#include "platform/ProcessTable.h"
#include "platform/StopRequest.h"
#include "res/Texts.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

namespace {
constexpr uint16_t CTL_NODE_PORT = 65532;
constexpr uint32_t CTL_PORT_RETRY_MS = 50;
// Looks for the holder of a refused lock before it is called unknown.
constexpr int CTL_HOLDER_LOOKS = 20;
// A stop's account names at most this many nodes not done, then how many more.
constexpr size_t CTL_NOT_DONE_NAMED = 10;

std::string Printf(const char* pszFormat, const std::string& strA, const std::string& strB = "",
                   const std::string& strC = "") {
    char sz[2048];
    std::snprintf(sz, sizeof sz, pszFormat, strA.c_str(), strB.c_str(), strC.c_str());
    return sz;
}

std::string WithPid(const char* pszFormat, pid_t pid, const std::string& strName = "") {
    char sz[256];
    if (strName.empty()) {
        std::snprintf(sz, sizeof sz, pszFormat, static_cast<int>(pid));
    } else {
        std::snprintf(sz, sizeof sz, pszFormat, strName.c_str(), static_cast<int>(pid));
    }
    return sz;
}

// "mrvmgr (pid 12)", "another mrvctl (pid 34)", "NAME (pid 56)" or "another
// program", with what the operator can do about it.
std::string HolderText(pid_t pid, const std::string& strProgram, const char*& pszAdvice) {
    pszAdvice = TXT_CTL_ADVICE_WAIT;
    if (pid <= 0) {
        return TXT_CTL_HOLDER_UNKNOWN;
    }
    if (strProgram == APP_MANAGER_NAME) {
        pszAdvice = TXT_CTL_ADVICE_MANAGER;
        return WithPid(TXT_CTL_HOLDER_MANAGER, pid);
    }
    if (strProgram == TXT_CTL_PROGRAM_NAME) {
        return WithPid(TXT_CTL_HOLDER_CTL, pid);
    }
    return WithPid(TXT_CTL_HOLDER_NAMED, pid, strProgram.empty() ? "?" : strProgram);
}

void SleepMs(uint32_t ms) {
    timespec ts{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
    nanosleep(&ts, nullptr);
}

std::string NotDoneText(const std::vector<std::string>& vecNotDone) {
    std::string str;
    for (size_t i = 0; i < vecNotDone.size() && i < CTL_NOT_DONE_NAMED; ++i) {
        str += (i == 0 ? "" : ", ") + vecNotDone[i];
    }
    if (vecNotDone.size() > CTL_NOT_DONE_NAMED) {
        str += " and " + std::to_string(vecNotDone.size() - CTL_NOT_DONE_NAMED) + " more";
    }
    return str;
}
} // namespace

bool TakeDataFile(CDataFileLock& lock, const std::string& strDataPath, bool bShared,
                  const SCtlArgs& args, CCtlUi& ui, const CStopRequest& stop) {
    const EDataLock eKind = bShared ? EDataLock::Shared : EDataLock::Exclusive;
    EDataLockResult eResult = lock.Acquire(eKind, static_cast<uint32_t>(args.nWaitSeconds) * 1000u,
                                           [&stop] { return stop.IsRequested(); });
    switch (eResult) {
    case EDataLockResult::Held:
    case EDataLockResult::Unavailable: // nobody can write the file there: nothing to guard
        return true;
    case EDataLockResult::Stopped:
        ReportStopBeforeStart(ui, stop.GetReason());
        return false;
    case EDataLockResult::Busy:
        break;
    }
    // The holder may have let go between the try and the look (no lock to be
    // seen, or its process gone): then the file is ours after all.
    SDataLockHolder holder = CDataFileLock::FindHolder(strDataPath);
    for (int nLook = 0; (holder.pid == 0 || holder.strProgram.empty()) && nLook < CTL_HOLDER_LOOKS;
         ++nLook) {
        if (lock.Acquire(eKind, 0, {}) == EDataLockResult::Held) {
            return true;
        }
        holder = CDataFileLock::FindHolder(strDataPath);
    }
    const char* pszAdvice = nullptr;
    std::string strHolder = HolderText(holder.pid, holder.strProgram, pszAdvice);
    ui.Report(CTL_EXIT_MANAGER_RUNNING,
              Printf(TXT_CTL_ERR_DATA_HELD, strDataPath, strHolder, pszAdvice));
    return false;
}

void WaitForNodePort(const SCtlArgs& args, const CStopRequest& stop) {
    timespec tsStart{};
    clock_gettime(CLOCK_MONOTONIC, &tsStart);
    const long lWaitMs = static_cast<long>(args.nWaitSeconds) * 1000L;
    while (!CanBindUdpPort(CTL_NODE_PORT) && !stop.IsRequested()) {
        timespec tsNow{};
        clock_gettime(CLOCK_MONOTONIC, &tsNow);
        long lElapsed =
            (tsNow.tv_sec - tsStart.tv_sec) * 1000L + (tsNow.tv_nsec - tsStart.tv_nsec) / 1000000L;
        if (lElapsed >= lWaitMs) {
            return; // the document finds it taken and says so
        }
        SleepMs(static_cast<uint32_t>(std::min<long>(CTL_PORT_RETRY_MS, lWaitMs - lElapsed)));
    }
}

void ReportPortHolder(CCtlUi& ui) {
    pid_t pid = FindUdpPortOwner(CTL_NODE_PORT);
    const char* pszAdvice = nullptr;
    std::string strHolder = HolderText(pid, GetProcessName(pid), pszAdvice);
    ui.Report(CTL_EXIT_MANAGER_RUNNING, Printf(TXT_CTL_ERR_PORT_HELD, strHolder, pszAdvice));
}

void ReportStopBeforeStart(CCtlUi& ui, int nSignal) {
    ui.Report(CTL_EXIT_SIGNAL_BASE + nSignal,
              Printf(TXT_CTL_STOPPED_BEFORE, TerminationSignalName(nSignal)));
}

void ReportStop(CCtlUi& ui, SCtlResult& result, int nSignal) {
    const std::string strSignal = TerminationSignalName(nSignal);
    CJson jsonStopped = CJson::Object();
    jsonStopped.Set("signal", CJson::Str(strSignal));
    CJson& jsonNotDone = jsonStopped["notDone"] = CJson::Array();
    for (const std::string& str : result.vecNotDone) {
        jsonNotDone.Push(CJson::Str(str));
    }
    result.json.Set("stopped", jsonStopped);
    ui.Report(CTL_EXIT_SIGNAL_BASE + nSignal,
              result.vecNotDone.empty()
                  ? Printf(TXT_CTL_STOPPED_AT_END, strSignal)
                  : Printf(TXT_CTL_STOPPED_EARLY, strSignal, NotDoneText(result.vecNotDone)));
}

CJson OutcomeJson(const SCtlArgs& args, int nExit, const CJson& jsonMessages,
                  const CJson& jsonResult) {
    CJson json = CJson::Object();
    json.Set("command", CJson::Str(args.strCommand));
    json.Set("ok", CJson::Bool(nExit == CTL_EXIT_OK));
    json.Set("exit", CJson::Int(nExit));
    json.Set("messages", jsonMessages);
    json.Set("result", jsonResult);
    return json;
}

SAtOnceTexts AtOnceTexts(const SCtlArgs& args, int nSignal) {
    SAtOnceTexts texts;
    std::string strText = Printf(TXT_CTL_STOPPED_AT_ONCE, TerminationSignalName(nSignal));
    texts.strErr = std::string(TXT_CTL_PROGRAM_NAME) + ": " + strText + "\n";
    if (args.bJson) {
        CJson jsonMessage = CJson::Object();
        jsonMessage.Set("text", CJson::Str(strText));
        jsonMessage.Set("exit", CJson::Int(CTL_EXIT_SIGNAL_BASE + nSignal));
        CJson jsonMessages = CJson::Array();
        jsonMessages.Push(jsonMessage);
        texts.strOut =
            OutcomeJson(args, CTL_EXIT_SIGNAL_BASE + nSignal, jsonMessages, CJson()).Dump() + "\n";
    }
    return texts;
}
