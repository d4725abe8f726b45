// Puts side by side: the connection check through libcurl's multi interface,
// then the client (tnftp) on the put script in a private working folder,
// its end awaited on its process descriptor through the pump.
#include "doc/FtpPuts.h"
#include "doc/FtpTrace.h"
#include "doc/FtpWorkDir.h"
#include "platform/AtomicFile.h"
#include "platform/FtpCheckSet.h"
#include "platform/MessagePump.h"
#include "platform/Process.h"
#include "platform/TimerQueue.h"
#include "res/Texts.h"

#include <cstdio>
#include <map>
#include <unistd.h>

namespace {
// After SIGTERM at the time limit the client gets this long before SIGKILL.
constexpr uint32_t FTP_END_GRACE_MS = 1000;

class CFtpPutJobs : public CFtpPuts {
public:
    CFtpPutJobs(CMessagePump& pump, CTimerQueue& timers, const SFtpRunEnv& env)
        : m_pump(pump), m_timers(timers), m_env(env), m_checks(pump) {}
    ~CFtpPutJobs() override {
        while (!m_mapJobs.empty()) {
            Cancel(m_mapJobs.begin()->first);
        }
    }

    uint64_t Start(const SFtpPutOrder& order, FnDone fnDone) override;
    void Cancel(uint64_t nId) override;
    size_t Count() const override { return m_mapJobs.size(); }

private:
    struct SJob {
        SFtpPutOrder order;
        FnDone fnDone;
        uint64_t nCheck = 0;
        uint64_t nTimer = 0;
        bool bTimedOut = false;
        std::unique_ptr<CFtpWorkDir> pDir;
        std::unique_ptr<CProcess> pProcess;
        int fdWatched = -1;
    };
    void OnChecked(uint64_t nId, const CFtpError* pError);
    void OnEnded(uint64_t nId);
    void OnTimeLimit(uint64_t nId);
    // Ends the job and tells its outcome.
    void Finish(uint64_t nId, SFtpPutOutcome outcome);
    void FinishLater(uint64_t nId, SFtpPutOutcome outcome);
    void Release(SJob& job);
    CFtpTrace Trace(const SJob& job) const {
        return CFtpTrace(m_env, job.order.strHost, job.order.strUser, job.order.strPassword);
    }

    CMessagePump& m_pump;
    CTimerQueue& m_timers;
    SFtpRunEnv m_env;
    CFtpCheckSet m_checks;
    uint64_t m_nNextId = 1;
    int m_nScripts = 0;
    std::map<uint64_t, std::unique_ptr<SJob>> m_mapJobs;
    std::shared_ptr<bool> m_pAlive = std::make_shared<bool>(true);
};

SFtpPutOutcome Outcome(int nResult, std::string strShown = {}) {
    SFtpPutOutcome outcome;
    outcome.nResult = nResult;
    outcome.strShown = std::move(strShown);
    return outcome;
}

uint64_t CFtpPutJobs::Start(const SFtpPutOrder& order, FnDone fnDone) {
    uint64_t nId = m_nNextId++;
    auto pJob = std::make_unique<SJob>();
    pJob->order = order;
    pJob->fnDone = std::move(fnDone);
    m_mapJobs.emplace(nId, std::move(pJob));
    if (!IsAccountSafe(order.strUser, order.strPassword)) {
        FinishLater(nId, Outcome(FTPRUN_UNSAFE_TEXT, TXT_FTP_UNSAFE_ACCOUNT));
    } else if (!IsScriptSafePath(order.strLocalPath)) {
        FinishLater(nId, Outcome(FTPRUN_UNSAFE_TEXT, TXT_FTP_UNSAFE_PATH));
    } else if (!m_checks.IsUsable()) {
        FinishLater(nId, Outcome(FTPRUN_NO_SESSION));
    } else {
        Trace(*m_mapJobs[nId]).Say(TXT_FTPTRACE_CHECK);
        m_mapJobs[nId]->nCheck =
            m_checks.Start(order.strHost, m_env.wCheckPort, order.strUser, order.strPassword, false,
                           [this, nId](const CFtpError* pError) { OnChecked(nId, pError); });
    }
    return nId;
}

void CFtpPutJobs::OnChecked(uint64_t nId, const CFtpError* pError) {
    auto it = m_mapJobs.find(nId);
    if (it == m_mapJobs.end()) {
        return;
    }
    SJob& job = *it->second;
    job.nCheck = 0;
    const CFtpTrace trace = Trace(job);
    if (pError != nullptr) {
        trace.Say(TXT_FTPTRACE_CHECK_FAILED);
        Finish(nId, Outcome(FTPRUN_NO_CONNECTION, CheckFailureText(*pError)));
        return;
    }
    trace.Say(TXT_FTPTRACE_CHECK_OK);
    job.pDir = std::make_unique<CFtpWorkDir>();
    if (job.pDir->Path().empty()) {
        Finish(nId, Outcome(FTPRUN_NO_PROCESS));
        return;
    }
    char szName[64];
    std::snprintf(szName, sizeof szName, FTP_PUT_SCRIPT_FORMAT, ++m_nScripts);
    const std::string strScriptPath = job.pDir->File(szName);
    std::string strError;
    const std::string strScript =
        ComposePutScript(job.order.strUser, job.order.strPassword, job.order.strLocalPath);
    if (CreateExclusiveFile(strScriptPath, strScript, 0600, strError) != 0) {
        Finish(nId, Outcome(FTPRUN_NO_PROCESS));
        return;
    }
    std::vector<std::string> vecArgs{m_env.strClient};
    vecArgs.insert(vecArgs.end(), std::begin(FTP_CLIENT_OPTIONS), std::end(FTP_CLIENT_OPTIONS));
    vecArgs.push_back(job.order.strHost);
    job.pProcess = std::make_unique<CProcess>();
    bool bStarted = job.pProcess->Start({vecArgs, strScriptPath, job.pDir->Path(), true}, strError);
    ::unlink(strScriptPath.c_str()); // the client holds it open now
    if (!bStarted) {
        trace.Say(TXT_FTPTRACE_NO_START, strError);
        Finish(nId, Outcome(FTPRUN_NO_PROCESS));
        return;
    }
    if (trace.IsOn()) {
        std::string strCommand;
        for (const std::string& strArg : vecArgs) {
            strCommand += (strCommand.empty() ? "" : " ") + strArg;
        }
        trace.Say(TXT_FTPTRACE_START, strCommand);
        trace.SayLines(TXT_FTPTRACE_SCRIPT, strScript);
    }
    job.fdWatched = job.pProcess->GetEndDescriptor();
    m_pump.Watch(job.fdWatched, [this, nId] { OnEnded(nId); });
    job.nTimer = m_timers.Add(m_env.dwTimeLimit, [this, nId] { OnTimeLimit(nId); });
}

void CFtpPutJobs::OnTimeLimit(uint64_t nId) {
    auto it = m_mapJobs.find(nId);
    if (it == m_mapJobs.end()) {
        return;
    }
    SJob& job = *it->second;
    if (!job.bTimedOut) {
        // Asked to end first; its end comes through the pump like any other.
        job.bTimedOut = true;
        job.pProcess->AskToEnd();
        job.nTimer = m_timers.Add(FTP_END_GRACE_MS, [this, nId] { OnTimeLimit(nId); });
        return;
    }
    job.nTimer = 0;
    job.pProcess->Terminate(0);
    Trace(job).Say(TXT_FTPTRACE_TIMEOUT);
    Finish(nId, Outcome(FTPRUN_TIMEOUT, TXT_FTP_TIMEOUT));
}

void CFtpPutJobs::OnEnded(uint64_t nId) {
    auto it = m_mapJobs.find(nId);
    if (it == m_mapJobs.end()) {
        return;
    }
    SJob& job = *it->second;
    if (!job.pProcess->CollectIfEnded()) {
        return;
    }
    const CFtpTrace trace = Trace(job);
    if (job.bTimedOut) {
        trace.Say(TXT_FTPTRACE_TIMEOUT);
        Finish(nId, Outcome(FTPRUN_TIMEOUT, TXT_FTP_TIMEOUT));
        return;
    }
    const std::string strOutput = job.pProcess->ReadOutput(FTP_OUTPUT_MAX);
    const std::string strErrors = job.pProcess->ReadErrors(FTP_OUTPUT_MAX);
    trace.SayLines(TXT_FTPTRACE_OUTPUT, strOutput + strErrors);
    trace.SayStatus(TXT_FTPTRACE_END, job.pProcess->GetWaitStatus());
    SFtpPutOutcome outcome;
    outcome.reply = ReadMarkedReply(strOutput, strErrors, FtpMarkerLine(job.pDir->Path()));
    // The server's answer to the put decides, as for one node.
    outcome.nResult = TransferResult(outcome.reply);
    Finish(nId, outcome);
}

void CFtpPutJobs::Release(SJob& job) {
    if (job.fdWatched >= 0) {
        m_pump.Unwatch(job.fdWatched);
        job.fdWatched = -1;
    }
    m_timers.Cancel(job.nTimer);
    job.nTimer = 0;
    if (job.nCheck != 0) {
        m_checks.Cancel(job.nCheck);
        job.nCheck = 0;
    }
    job.pProcess.reset(); // a client still running is ended and reaped
    job.pDir.reset();     // the folder goes with everything in it
}

void CFtpPutJobs::Finish(uint64_t nId, SFtpPutOutcome outcome) {
    auto it = m_mapJobs.find(nId);
    if (it == m_mapJobs.end()) {
        return;
    }
    std::unique_ptr<SJob> pJob = std::move(it->second);
    m_mapJobs.erase(it);
    Release(*pJob);
    pJob->fnDone(outcome);
}

void CFtpPutJobs::FinishLater(uint64_t nId, SFtpPutOutcome outcome) {
    // The jobs may be gone when the pump comes to it.
    std::weak_ptr<bool> pAlive = m_pAlive;
    m_pump.Post([this, pAlive, nId, outcome] {
        if (pAlive.lock()) {
            Finish(nId, outcome);
        }
    });
}

void CFtpPutJobs::Cancel(uint64_t nId) {
    auto it = m_mapJobs.find(nId);
    if (it == m_mapJobs.end()) {
        return;
    }
    std::unique_ptr<SJob> pJob = std::move(it->second);
    m_mapJobs.erase(it);
    Release(*pJob);
}
} // namespace

std::unique_ptr<CFtpPuts> MakeFtpPuts(CMessagePump& pump, CTimerQueue& timers,
                                      const SFtpRunEnv& env) {
    return std::make_unique<CFtpPutJobs>(pump, timers, env);
}
