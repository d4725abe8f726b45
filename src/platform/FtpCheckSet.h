#pragma once
#include "platform/FtpSession.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

class CMessagePump;

// Several FTP connection checks at once (connect, log in, QUIT), none of
// which blocks the pump: libcurl's multi interface, its sockets and its timer
// gathered in one epoll set that the pump watches as one readable descriptor.
// Each check is the one CFtpClient::Connect makes, with its time limits and
// errors.
class CFtpCheckSet {
public:
    // nullptr: logged in; otherwise why not.
    using FnDone = std::function<void(const CFtpError* pError)>;

    explicit CFtpCheckSet(CMessagePump& pump);
    ~CFtpCheckSet();
    CFtpCheckSet(const CFtpCheckSet&) = delete;
    CFtpCheckSet& operator=(const CFtpCheckSet&) = delete;

    // False when the library or the descriptors could not be had: no check
    // can run (as when CFtpClient cannot be created).
    bool IsUsable() const { return m_pMulti != nullptr; }
    // Starts a check of host (port 0: 21); fnDone runs once, from the pump,
    // never from inside Start. Returns its id.
    uint64_t Start(const std::string& strHost, uint16_t wPort, const std::string& strUser,
                   const std::string& strPassword, bool bPassive, FnDone fnDone);
    // Ends a check at once without calling its fnDone.
    void Cancel(uint64_t nId);
    size_t Count() const { return m_mapChecks.size(); }

private:
    struct SCheck;
    static int OnSocket(void* pEasy, int fd, int nWhat, void* pUser, void* pSocketData);
    static int OnTimer(void* pMulti, long nTimeoutMs, void* pUser);
    void OnReady();
    void TakeFinished();
    void Finish(uint64_t nId, const CFtpError* pError);

    CMessagePump& m_pump;
    void* m_pMulti = nullptr; // CURLM
    int m_fdEpoll = -1;
    int m_fdTimer = -1;
    uint64_t m_nNextId = 1;
    std::map<uint64_t, std::unique_ptr<SCheck>> m_mapChecks;
    std::shared_ptr<bool> m_pAlive = std::make_shared<bool>(true);
};
