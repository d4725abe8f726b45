#include "platform/FtpCheckSet.h"

#include "platform/FtpCurl.h"
#include "platform/MessagePump.h"

#include <cerrno>
#include <sys/epoll.h>
#include <sys/timerfd.h>
#include <unistd.h>
#include <vector>

struct CFtpCheckSet::SCheck {
    uint64_t nId = 0;
    CURL* pCurl = nullptr;
    char szError[CURL_ERROR_SIZE] = {};
    FnDone fnDone;
};

CFtpCheckSet::CFtpCheckSet(CMessagePump& pump) : m_pump(pump) {
    if (!InitFtpLibrary()) {
        return;
    }
    m_fdEpoll = epoll_create1(EPOLL_CLOEXEC);
    m_fdTimer = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    CURLM* pMulti = curl_multi_init();
    epoll_event ev{};
    ev.events = EPOLLIN;
    ev.data.fd = m_fdTimer;
    if (m_fdEpoll < 0 || m_fdTimer < 0 || pMulti == nullptr ||
        epoll_ctl(m_fdEpoll, EPOLL_CTL_ADD, m_fdTimer, &ev) != 0) {
        if (pMulti != nullptr) {
            curl_multi_cleanup(pMulti);
        }
        return;
    }
    curl_multi_setopt(pMulti, CURLMOPT_SOCKETFUNCTION, &CFtpCheckSet::OnSocket);
    curl_multi_setopt(pMulti, CURLMOPT_SOCKETDATA, this);
    curl_multi_setopt(pMulti, CURLMOPT_TIMERFUNCTION, &CFtpCheckSet::OnTimer);
    curl_multi_setopt(pMulti, CURLMOPT_TIMERDATA, this);
    m_pMulti = pMulti;
    m_pump.Watch(m_fdEpoll, [this] { OnReady(); });
}

CFtpCheckSet::~CFtpCheckSet() {
    while (!m_mapChecks.empty()) {
        Cancel(m_mapChecks.begin()->first);
    }
    if (m_pMulti != nullptr) {
        m_pump.Unwatch(m_fdEpoll);
        curl_multi_cleanup(static_cast<CURLM*>(m_pMulti));
    }
    for (int fd : {m_fdTimer, m_fdEpoll}) {
        if (fd >= 0) {
            close(fd);
        }
    }
}

int CFtpCheckSet::OnSocket(void* /*pEasy*/, int fd, int nWhat, void* pUser, void* /*pSocketData*/) {
    auto* pSet = static_cast<CFtpCheckSet*>(pUser);
    if (nWhat == CURL_POLL_REMOVE) {
        epoll_ctl(pSet->m_fdEpoll, EPOLL_CTL_DEL, fd, nullptr);
        return 0;
    }
    epoll_event ev{};
    ev.events = (nWhat & CURL_POLL_IN ? EPOLLIN : 0u) | (nWhat & CURL_POLL_OUT ? EPOLLOUT : 0u);
    ev.data.fd = fd;
    if (epoll_ctl(pSet->m_fdEpoll, EPOLL_CTL_MOD, fd, &ev) != 0 && errno == ENOENT) {
        epoll_ctl(pSet->m_fdEpoll, EPOLL_CTL_ADD, fd, &ev);
    }
    return 0;
}

int CFtpCheckSet::OnTimer(void* /*pMulti*/, long nTimeoutMs, void* pUser) {
    auto* pSet = static_cast<CFtpCheckSet*>(pUser);
    itimerspec spec{};
    if (nTimeoutMs >= 0) {
        // 0 means at once; a timer of zero would be no timer at all.
        long nNs = nTimeoutMs == 0 ? 1 : (nTimeoutMs % 1000) * 1000000L;
        spec.it_value.tv_sec = nTimeoutMs / 1000;
        spec.it_value.tv_nsec = nNs;
    }
    timerfd_settime(pSet->m_fdTimer, 0, &spec, nullptr);
    return 0;
}

uint64_t CFtpCheckSet::Start(const std::string& strHost, uint16_t wPort, const std::string& strUser,
                             const std::string& strPassword, bool bPassive, FnDone fnDone) {
    uint64_t nId = m_nNextId++;
    auto pCheck = std::make_unique<SCheck>();
    pCheck->nId = nId;
    pCheck->fnDone = std::move(fnDone);
    SCheck& check = *pCheck;
    m_mapChecks.emplace(nId, std::move(pCheck));
    std::unique_ptr<CFtpError> pFailure;
    if (m_pMulti == nullptr) {
        pFailure = std::make_unique<CFtpError>("");
    } else {
        try {
            check.pCurl =
                NewFtpCheckHandle(strHost, strUser, strPassword, wPort, bPassive, check.szError);
            curl_easy_setopt(check.pCurl, CURLOPT_PRIVATE, reinterpret_cast<void*>(nId));
            if (curl_multi_add_handle(static_cast<CURLM*>(m_pMulti), check.pCurl) != CURLM_OK) {
                pFailure = std::make_unique<CFtpError>(curl_easy_strerror(CURLE_FAILED_INIT),
                                                       CURLE_FAILED_INIT);
                curl_easy_cleanup(check.pCurl);
                check.pCurl = nullptr;
            }
        } catch (const CFtpError& err) {
            pFailure = std::make_unique<CFtpError>(err);
        }
    }
    if (pFailure != nullptr) {
        // Told from the pump, as every other end.
        std::shared_ptr<CFtpError> pShared(std::move(pFailure));
        std::weak_ptr<bool> pAlive = m_pAlive; // the set may be gone by then
        m_pump.Post([this, pAlive, nId, pShared] {
            if (pAlive.lock()) {
                Finish(nId, pShared.get());
            }
        });
    }
    return nId;
}

void CFtpCheckSet::Cancel(uint64_t nId) {
    auto it = m_mapChecks.find(nId);
    if (it == m_mapChecks.end()) {
        return;
    }
    std::unique_ptr<SCheck> pCheck = std::move(it->second);
    m_mapChecks.erase(it);
    if (pCheck->pCurl != nullptr) {
        curl_multi_remove_handle(static_cast<CURLM*>(m_pMulti), pCheck->pCurl);
        curl_easy_cleanup(pCheck->pCurl);
    }
}

void CFtpCheckSet::OnReady() {
    epoll_event aEvents[64];
    int nEvents = epoll_wait(m_fdEpoll, aEvents, 64, 0);
    int nRunning = 0;
    for (int i = 0; i < nEvents; ++i) {
        int fd = aEvents[i].data.fd;
        if (fd == m_fdTimer) {
            uint64_t qwExpired = 0;
            [[maybe_unused]] ssize_t n = read(m_fdTimer, &qwExpired, sizeof qwExpired);
            curl_multi_socket_action(static_cast<CURLM*>(m_pMulti), CURL_SOCKET_TIMEOUT, 0,
                                     &nRunning);
            continue;
        }
        int nMask = (aEvents[i].events & EPOLLIN ? CURL_CSELECT_IN : 0) |
                    (aEvents[i].events & EPOLLOUT ? CURL_CSELECT_OUT : 0) |
                    (aEvents[i].events & (EPOLLERR | EPOLLHUP) ? CURL_CSELECT_ERR : 0);
        curl_multi_socket_action(static_cast<CURLM*>(m_pMulti), fd, nMask, &nRunning);
    }
    TakeFinished();
}

void CFtpCheckSet::TakeFinished() {
    std::vector<std::pair<uint64_t, CURLcode>> vecDone;
    int nLeft = 0;
    while (CURLMsg* pMsg = curl_multi_info_read(static_cast<CURLM*>(m_pMulti), &nLeft)) {
        if (pMsg->msg != CURLMSG_DONE) {
            continue;
        }
        void* pPrivate = nullptr;
        curl_easy_getinfo(pMsg->easy_handle, CURLINFO_PRIVATE, &pPrivate);
        vecDone.emplace_back(reinterpret_cast<uint64_t>(pPrivate), pMsg->data.result);
    }
    // Each end may start or cancel other checks: they are told one by one,
    // after the library's messages were read.
    for (const auto& [nId, code] : vecDone) {
        auto it = m_mapChecks.find(nId);
        if (it == m_mapChecks.end()) {
            continue;
        }
        SCheck& check = *it->second;
        if (code == CURLE_OK) {
            SendFtpQuit(check.pCurl);
            Finish(nId, nullptr);
        } else {
            CFtpError err = FtpCheckError(check.pCurl, code, check.szError);
            Finish(nId, &err);
        }
    }
}

void CFtpCheckSet::Finish(uint64_t nId, const CFtpError* pError) {
    auto it = m_mapChecks.find(nId);
    if (it == m_mapChecks.end()) {
        return; // cancelled meanwhile
    }
    FnDone fn = std::move(it->second->fnDone);
    Cancel(nId);
    fn(pError);
}
