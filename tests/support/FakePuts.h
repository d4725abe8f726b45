#pragma once
// Puts for runs over many nodes on virtual time: each takes FAKE_PUT_MS on the
// timers and ends as told per host (226 otherwise); and the version table of
// a node that lists one application.
#include "doc/FtpPuts.h"
#include "platform/TimerQueue.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

inline constexpr uint32_t FAKE_PUT_MS = 200;

// What follows the header of a 0x0208 (offset 13 on): kernel 2.10 and one
// application of that name and version (none for an empty name).
inline std::vector<uint8_t> VersionTable(const std::string& strApp, uint8_t byMajor,
                                         uint8_t byMinor) {
    std::vector<uint8_t> vec(219, 0);
    vec[15] = 2;
    vec[16] = 10;
    std::copy(strApp.begin(), strApp.end(), vec.begin() + 19);
    vec[19 + 14] = byMajor;
    vec[19 + 15] = byMinor;
    vec[19 + 17] = 1; // one sector
    return vec;
}

// Puts that take FAKE_PUT_MS on the timers and end as told per host; a node that
// took the file lists it from then on.
struct SPutWorld {
    std::map<std::string, SFtpReply> mapReply; // by host; 226 otherwise
    size_t nNow = 0;
    size_t nMost = 0;
    std::vector<SFtpPutOrder> vecOrders;
    std::function<void(const SFtpPutOrder&)> fnOnStart;
    std::function<void(const std::string& strHost)> fnOnStored;
};

class CFakePuts : public CFtpPuts {
public:
    CFakePuts(CTimerQueue& timers, SPutWorld& world) : m_timers(timers), m_world(world) {}
    uint64_t Start(const SFtpPutOrder& order, FnDone fnDone) override {
        uint64_t nId = ++m_nLast;
        m_world.vecOrders.push_back(order);
        m_world.nMost = std::max(m_world.nMost, ++m_world.nNow);
        if (m_world.fnOnStart) {
            m_world.fnOnStart(order);
        }
        m_mapTimers[nId] = m_timers.Add(FAKE_PUT_MS, [this, nId, order, fnDone] {
            m_mapTimers.erase(nId);
            --m_world.nNow;
            SFtpPutOutcome outcome;
            auto it = m_world.mapReply.find(order.strHost);
            outcome.reply = it != m_world.mapReply.end()
                                ? it->second
                                : SFtpReply{true, 226, "226 Transfer complete."};
            outcome.nResult = TransferResult(outcome.reply);
            if (outcome.nResult == FTPRUN_OK && m_world.fnOnStored) {
                m_world.fnOnStored(order.strHost);
            }
            fnDone(outcome);
        });
        return nId;
    }
    void Cancel(uint64_t nId) override {
        if (m_mapTimers.count(nId) != 0) {
            m_timers.Cancel(m_mapTimers[nId]);
            m_mapTimers.erase(nId);
            --m_world.nNow;
        }
    }
    size_t Count() const override { return m_mapTimers.size(); }

private:
    CTimerQueue& m_timers;
    SPutWorld& m_world;
    uint64_t m_nLast = 0;
    std::map<uint64_t, uint64_t> m_mapTimers;
};
