#pragma once
// Faults a simulated node can be told to have.
#include <cstdint>
#include <map>
#include <set>
#include <string>

struct SSimFaults {
    bool bSilent = false;                  // answers no datagram at all
    unsigned nDropPercent = 0;             // share of requests lost, spread evenly
    unsigned nDropCredit = 0;              // running share, not a setting
    std::map<uint16_t, uint8_t> mapResult; // command -> result code it is refused with
    unsigned nDelayMs = 0;                 // every reply this much later
    unsigned nDuplicates = 0;              // extra copies of every reply
    std::map<uint16_t, unsigned> mapLate;  // command -> delay of its next reply, once
    bool bNoMode0Reply = false;            // a change to mode 0 is carried out, not answered
    bool bNoLogin = false;                 // FTP refuses every login
    bool bNoStor = false;                  // FTP refuses every upload
    std::set<uint16_t> setIgnore;          // commands neither carried out nor answered
    unsigned nSlowMs = 0;                  // every upload ends (and is answered) this much later

    // Sets one fault by name: "silent on|off", "drop 0..100", "result CMD CODE"
    // (hex; code 00 clears), "delay MS", "duplicate N", "late CMD MS",
    // "nomode0 on|off", "nologin on|off", "nostor on|off", "ignore CMD on|off"
    // (hex), "slow MS", "clear". strValue holds
    // everything after the name. False, with strError, when it cannot be read.
    bool Set(const std::string& strName, const std::string& strValue, std::string& strError);

    // "none", or the active faults in a fixed order, e.g.
    // "silent drop=50 result=0104:05 delay=300 duplicate=1 late=0103:6000 nomode0 nologin nostor
    // ignore=0105 slow=5000".
    std::string Format() const;

    // True when this request is one of those the drop share loses.
    bool TakeDrop();
};
