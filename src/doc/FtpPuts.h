#pragma once
#include "doc/FtpRun.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class CMessagePump;
class CTimerQueue;

// One put of a local file onto a node, as RunFtpPut makes it.
struct SFtpPutOrder {
    std::string strHost;
    std::string strLocalPath;
    std::string strUser;
    std::string strPassword;
};

// What became of a put.
struct SFtpPutOutcome {
    int nResult = FTPRUN_NO_PROCESS; // FTPRUN_*, as RunFtpPut returns it
    SFtpReply reply;                 // what the client reported of the transfer
    // What RunFtpPut shows on its way (the connection check's failure, a text
    // unfit for a script, the time-out); empty when it shows nothing.
    std::string strShown;
};

// Several puts at once, none blocking the pump: each makes the connection
// check, then runs the client in a private working folder, awaited through
// the pump, with the client's time limit. Nothing is shown; the outcome says
// what the one-node put would have shown.
class CFtpPuts {
public:
    using FnDone = std::function<void(const SFtpPutOutcome&)>;

    virtual ~CFtpPuts() = default;
    // Starts a put; fnDone runs once, from the pump or a timer, never from
    // inside Start. Returns its id.
    virtual uint64_t Start(const SFtpPutOrder& order, FnDone fnDone) = 0;
    // Ends a put at once (its client ended, its folder removed) without fnDone.
    virtual void Cancel(uint64_t nId) = 0;
    // Puts started and not ended: as many clients and folders at most.
    virtual size_t Count() const = 0;
};

// The real puts: libcurl's checks (CFtpCheckSet) and the command-line client.
std::unique_ptr<CFtpPuts> MakeFtpPuts(CMessagePump& pump, CTimerQueue& timers,
                                      const SFtpRunEnv& env);
