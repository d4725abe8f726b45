// The steps of one node in a rollout, each started by the end of the one
// before: a reply routed to the node, a timer, the end of its put.
#include "doc/FtpRun.h"
#include "doc/OrvixDoc.h"
#include "link/NodeCodec.h"
#include "ops/NodeDownload.h"
#include "ops/Rollout.h"
#include "ops/RolloutFlight.h"
#include "platform/Clock.h"
#include "platform/Cp932.h"
#include "platform/IpText.h"
#include "res/Texts.h"

#include <cstdio>

namespace {
// The delay before the node is sent back to operation after a failure.
constexpr uint32_t ROLLOUT_RETURN_PAUSE_MS = DOWNLOAD_FINISH_PAUSE_MS;

std::string Printf2(const char* pszFormat, const std::string& str1, const std::string& str2) {
    char sz[1024];
    std::snprintf(sz, sizeof sz, pszFormat, str1.c_str(), str2.c_str());
    return sz;
}

// Lines that say something, each once.
std::string JoinLines(const std::string& strFirst, const std::string& strSecond) {
    if (strFirst.empty() || strFirst == strSecond) {
        return strSecond;
    }
    if (strSecond.empty()) {
        return strFirst;
    }
    return strFirst + "\n" + strSecond;
}

// "NAME Vm.nn" as an image header writes it.
std::string AppText(const std::string& strName, int nMajor, int nMinor) {
    return strName + " V" + VersionText(nMajor, nMinor);
}
} // namespace

std::string WireMac(const std::string& strMac) {
    uint8_t abMac[6] = {};
    TextToMac(strMac, abMac);
    return MacToText(abMac);
}

bool ListsImage(const SVersionInfo& info, const SImageIdentity& image,
                const std::string& strFileName, bool bKernel, std::string& strReadBack,
                bool& bByVersion) {
    bByVersion = false;
    if (bKernel) {
        char sz[64];
        std::snprintf(sz, sizeof sz, TXT_ROLLOUT_KERNEL,
                      VersionText(info.nKernelMajor, info.nKernelMinor).c_str());
        strReadBack = sz;
        if (!image.IsKnown()) {
            return true;
        }
        bByVersion = true;
        return info.nKernelMajor == image.nMajor && info.nKernelMinor == image.nMinor;
    }
    // A node lists an application under a name of at most 14 bytes: the one
    // its header gives, or the file's own, with or without its extension.
    auto Fits = [](const std::string& strListed, const std::string& strName) {
        return !strName.empty() && strListed == strName.substr(0, 14);
    };
    size_t nDot = strFileName.rfind('.');
    const std::string strStem =
        nDot == std::string::npos ? strFileName : strFileName.substr(0, nDot);
    std::string strAll;
    for (const SVersionApp& app : info.vecApps) {
        const std::string strApp = AppText(Cp932ToUtf8Lossy(app.strName), app.nMajor, app.nMinor);
        strAll += (strAll.empty() ? "" : ", ") + strApp;
        bool bName = Fits(app.strName, image.strName) || Fits(app.strName, strFileName) ||
                     Fits(app.strName, strStem);
        if (!bName) {
            continue;
        }
        if (!image.IsKnown()) {
            strReadBack = strApp; // what it lists, the witness decides
            return true;
        }
        if (app.nMajor == image.nMajor && app.nMinor == image.nMinor) {
            strReadBack = strApp;
            bByVersion = true;
            return true;
        }
    }
    if (!image.IsKnown()) {
        strReadBack.clear();
        return true;
    }
    bByVersion = true;
    strReadBack = strAll.empty() ? std::string(TXT_ROLLOUT_NO_APPS) : strAll;
    return false;
}

bool CRollout::Settled(size_t nNode, int nOutcome, const SNodeResponse* pReply, int& nResult) {
    SFlight* pFlight = Flight(nNode);
    if (pFlight == nullptr) {
        return false;
    }
    pFlight->wAwaited = 0;
    switch (nOutcome) {
    case EXCHANGE_DONE:
        nResult = 0;
        break;
    case EXCHANGE_ABNORMAL:
        nResult = DLRESULT_ABNORMAL;
        pFlight->strReason = COrvixDoc::AbnormalResponseText(*pReply);
        break;
    default:
        nResult = DLRESULT_NO_RESPONSE;
        pFlight->strReason = TXT_NO_RESPONSE;
        break;
    }
    return true;
}

void CRollout::FetchAccount(size_t nNode, int nTries, FnStep fnNext) {
    SFlight& flight = *Flight(nNode);
    const int nIndex = flight.nIndex;
    flight.wAwaited = RESP_GET_PARAM;
    auto fnSettle = [this, nNode, nTries, fnNext](int nOutcome, const SNodeResponse* pReply) {
        int nResult = 0;
        if (!Settled(nNode, nOutcome, pReply, nResult)) {
            return;
        }
        if (nOutcome == EXCHANGE_NO_REPLY && nTries > 1) {
            FetchAccount(nNode, nTries - 1, fnNext);
            return;
        }
        if (nResult == 0) {
            Flight(nNode)->account = COrvixDoc::TakeFtpAccount(*pReply);
        }
        fnNext(nResult);
    };
    if (!m_doc.ExchangeWithNode(
            nIndex, RESP_GET_PARAM, [this, nIndex] { m_doc.SendGetParam(nIndex, 1); }, m_dwTimeout,
            fnSettle)) {
        fnSettle(EXCHANGE_NO_REPLY, nullptr);
    }
}

void CRollout::ChangeMode(size_t nNode, int nMode, FnStep fnNext) {
    SFlight& flight = *Flight(nNode);
    const int nIndex = flight.nIndex;
    flight.wAwaited = RESP_CHANGE_MODE;
    auto fnSettle = [this, nNode, fnNext](int nOutcome, const SNodeResponse* pReply) {
        int nResult = 0;
        if (Settled(nNode, nOutcome, pReply, nResult)) {
            fnNext(nResult);
        }
    };
    if (!m_doc.ExchangeWithNode(
            nIndex, RESP_CHANGE_MODE,
            [this, nIndex, nMode] { m_doc.SendChangeMode(nIndex, nMode, 1); }, m_dwTimeout,
            fnSettle)) {
        fnSettle(EXCHANGE_NO_REPLY, nullptr);
    }
}

void CRollout::ReturnToOperation(size_t nNode, FnStep fnNext) {
    CClock& clock = m_doc.GetEnv().clock;
    Flight(nNode)->nTimer =
        m_doc.GetTimers().Add(clock.PauseLength(ROLLOUT_RETURN_PAUSE_MS), [this, nNode, fnNext] {
            Flight(nNode)->nTimer = 0;
            ChangeMode(nNode, DOWNLOAD_MODE_NORMAL, fnNext);
        });
}

void CRollout::AfterKernelAccount(size_t nNode, int nResult) {
    if (nResult != 0) {
        Finish(nNode, ERolloutResult::Failed, nResult, TXT_BATCH_STATE_ACCOUNT_ERROR,
               Flight(nNode)->strReason);
        return;
    }
    EnterDownloadMode(nNode);
}

void CRollout::EnterDownloadMode(size_t nNode) {
    if (m_doc.IsStopRequested()) {
        // Nothing changed on the node yet.
        Finish(nNode, ERolloutResult::NotDone, DLRESULT_STOPPED, TXT_BATCH_STATE_WAITING, "");
        return;
    }
    ChangeMode(nNode, m_plan.nKind, [this, nNode](int nResult) {
        if (nResult != 0) {
            Finish(nNode, ERolloutResult::Failed, nResult, TXT_BATCH_STATE_REBOOT_ERROR,
                   Flight(nNode)->strReason);
            return;
        }
        // The node restarts into its download mode meanwhile.
        CClock& clock = m_doc.GetEnv().clock;
        Flight(nNode)->nTimer =
            m_doc.GetTimers().Add(clock.PauseLength(DOWNLOAD_RESTART_PAUSE_MS), [this, nNode] {
                Flight(nNode)->nTimer = 0;
                AfterRestart(nNode);
            });
    });
}

void CRollout::StopInMode(size_t nNode) {
    ReturnToOperation(nNode, [this, nNode](int nResult) {
        SRolloutNode& node = m_vecNodes[nNode];
        node.bLeftInMode = nResult != 0;
        std::string strReason;
        if (nResult != 0) {
            strReason = Flight(nNode)->strReason + LeftInModeNote(m_plan.nKind, false);
        }
        Finish(nNode, ERolloutResult::NotDone, DLRESULT_STOPPED, TXT_BATCH_STATE_WAITING,
               strReason);
    });
}

void CRollout::AfterRestart(size_t nNode) {
    // From here on the node is out of operation: every way out brings it back.
    if (m_doc.IsStopRequested()) {
        StopInMode(nNode);
        return;
    }
    if (m_plan.nKind == DOWNLOAD_KERNEL) {
        Put(nNode);
        return;
    }
    FetchAccount(nNode, m_nAccountTries, [this, nNode](int nResult) {
        if (nResult == 0) {
            if (m_doc.IsStopRequested()) {
                StopInMode(nNode);
            } else {
                Put(nNode);
            }
            return;
        }
        // Not left out of operation for a retry that may never come.
        const std::string strReason = Flight(nNode)->strReason;
        ReturnToOperation(nNode, [this, nNode, nResult, strReason](int nBack) {
            SRolloutNode& node = m_vecNodes[nNode];
            node.bLeftInMode = nBack != 0;
            Finish(nNode, ERolloutResult::Failed, nResult, TXT_BATCH_STATE_ACCOUNT_ERROR,
                   nBack != 0 ? strReason + LeftInModeNote(m_plan.nKind, false) : strReason);
        });
    });
}

void CRollout::Put(size_t nNode) {
    SRolloutNode& node = m_vecNodes[nNode];
    SFlight& flight = *Flight(nNode);
    node.strState = TXT_BATCH_STATE_DOWNLOADING;
    SFtpPutOrder order;
    order.strHost = FormatIpHost(node.dwIp);
    order.strLocalPath = m_plan.strPath;
    order.strUser = flight.account.strUser;
    order.strPassword = flight.account.strPassword;
    flight.nPut = m_pPuts->Start(
        order, [this, nNode](const SFtpPutOutcome& outcome) { AfterPut(nNode, outcome); });
}

void CRollout::AfterPut(size_t nNode, const SFtpPutOutcome& outcome) {
    SFlight* pFlight = Flight(nNode);
    if (pFlight == nullptr) {
        return;
    }
    pFlight->nPut = 0;
    pFlight->put = outcome;
    // Back to operation at once, as the batch does after its put.
    ChangeMode(nNode, DOWNLOAD_MODE_NORMAL, [this, nNode](int nResult) {
        SRolloutNode& node = m_vecNodes[nNode];
        SFlight& flight = *Flight(nNode);
        const int nPut = flight.put.nResult;
        // A server may echo the account in its reply; the reason goes to the
        // terminal, the JSON and the operation log.
        const std::string strPutReason = MaskFtpAccount(
            JoinLines(flight.put.strShown, DownloadResultText(nPut, flight.put.reply.strText)),
            flight.account.strUser, flight.account.strPassword);
        if (nResult != 0) {
            // It stays in its download mode: a retry of a failed put is what
            // helps; a node that has the file needs its mode changed by hand.
            node.bLeftInMode = true;
            node.bNotBack = nPut == FTPRUN_OK;
            Finish(nNode, ERolloutResult::Failed, nPut == FTPRUN_OK ? nResult : nPut,
                   TXT_BATCH_STATE_REBOOT_ERROR,
                   (nPut == FTPRUN_OK ? flight.strReason : strPutReason) +
                       LeftInModeNote(m_plan.nKind, false));
            return;
        }
        if (nPut != FTPRUN_OK) {
            Finish(nNode, ERolloutResult::Failed, nPut, TXT_BATCH_STATE_DOWNLOAD_FAILED,
                   strPutReason);
            return;
        }
        Verify(nNode, m_nAccountTries);
    });
}

void CRollout::Verify(size_t nNode, int nTries) {
    SFlight& flight = *Flight(nNode);
    const int nIndex = flight.nIndex;
    flight.wAwaited = RESP_GET_VERSION;
    auto fnSettle = [this, nNode, nTries](int nOutcome, const SNodeResponse* pReply) {
        int nResult = 0;
        if (!Settled(nNode, nOutcome, pReply, nResult)) {
            return;
        }
        if (nOutcome == EXCHANGE_NO_REPLY && nTries > 1) {
            Verify(nNode, nTries - 1);
            return;
        }
        if (nResult != 0) {
            Finish(nNode, ERolloutResult::Failed, nResult, TXT_ROLLOUT_STATE_NOT_VERIFIED,
                   Flight(nNode)->strReason);
            return;
        }
        CheckVersion(nNode, DecodeVersionInfo(pReply->pData, pReply->nLen));
    };
    if (!m_doc.ExchangeWithNode(
            nIndex, RESP_GET_VERSION, [this, nIndex] { m_doc.SendGetVersion(nIndex, 1); },
            m_dwTimeout, fnSettle)) {
        fnSettle(EXCHANGE_NO_REPLY, nullptr);
    }
}

void CRollout::CheckVersion(size_t nNode, const SVersionInfo& info) {
    SRolloutNode& node = m_vecNodes[nNode];
    const bool bKernel = m_plan.nKind == DOWNLOAD_KERNEL;
    if (ListsImage(info, m_image, m_strFileName, bKernel, node.strReadBack, node.bByVersion)) {
        Finish(nNode, ERolloutResult::Loaded, 0, TXT_BATCH_STATE_DOWNLOADED, "");
        return;
    }
    std::string strExpected = bKernel ? "V" + VersionText(m_image.nMajor, m_image.nMinor)
                                      : AppText(m_image.strName, m_image.nMajor, m_image.nMinor);
    Finish(nNode, ERolloutResult::Failed, DLRESULT_NOT_VERIFIED, TXT_ROLLOUT_STATE_NOT_VERIFIED,
           Printf2(TXT_ROLLOUT_NOT_LISTED, strExpected, node.strReadBack));
}
