#pragma once
// One node in flight in a rollout: what its steps carry from one to the next.
#include "doc/FtpPuts.h"
#include "link/NodeResponse.h"
#include "ops/Rollout.h"

#include <cstdint>
#include <string>

struct CRollout::SFlight {
    int nIndex = -1;        // in the current network
    std::string strWireMac; // the MAC as requests carry it and replies bring it back
    uint16_t wAwaited = 0;  // the reply its open exchange awaits, if any
    uint32_t dwStart = 0;   // ticks when this attempt began
    uint64_t nTimer = 0;    // its pause, if one runs
    uint64_t nPut = 0;      // its put, while it runs
    SFtpAccount account;
    std::string strReason; // why the last step failed
    SFtpPutOutcome put;
    bool bNoRetry = false; // another attempt could not go otherwise
};

// The MAC text of a registered node as the wire carries it (12 upper-case digits).
std::string WireMac(const std::string& strMac);
