#include "AutoAssignWorld.h"

#include "params/NodeParam.h"

#include <algorithm>
#include <cstdio>
#include <string>

namespace {
uint32_t Uniform(std::mt19937_64& rng, uint32_t nLow, uint32_t nHigh) {
    return std::uniform_int_distribution<uint32_t>(nLow, nHigh)(rng);
}

bool Chance(std::mt19937_64& rng, double d) {
    return std::uniform_real_distribution<double>(0, 1)(rng) < d;
}

std::string MacOf(size_t n) {
    char sz[16];
    std::snprintf(sz, sizeof sz, "02%010zX", n);
    return sz;
}

uint32_t DrawMask(std::mt19937_64& rng) {
    uint32_t nKind = Uniform(rng, 0, 9);
    if (nKind < 7) {
        return ~0u << Uniform(rng, 2, 16); // /16 to /30
    }
    if (nKind < 9) {
        return ~0u << Uniform(rng, 17, 24); // /8 to /15
    }
    // Not contiguous; the registry refuses only a first octet of 0.
    uint32_t dwMask = static_cast<uint32_t>(rng());
    return (dwMask >> 24) == 0 ? dwMask | 0x01000000u : dwMask;
}

// A host part on or near the path the candidates take from the base.
uint32_t HostOnPath(std::mt19937_64& rng, const SAutoAssignPlan& plan, size_t nRows) {
    uint32_t dwHostMask = ~plan.dwMask;
    uint32_t dwHost = (plan.dwBaseIp & dwHostMask) +
                      plan.dwIncrement * Uniform(rng, 0, static_cast<uint32_t>(nRows + 2));
    if (Chance(rng, 0.25)) {
        dwHost += Uniform(rng, 0, 3);
    }
    return dwHost & dwHostMask;
}

// An address with the given host part: in the subnet, in another subnet, or anywhere.
uint32_t AddressFor(std::mt19937_64& rng, const SAutoAssignPlan& plan, uint32_t dwHost) {
    uint32_t nKind = Uniform(rng, 0, 19);
    if (nKind < 12) {
        return (plan.dwBaseIp & plan.dwMask) | dwHost;
    }
    if (nKind < 17) {
        return (static_cast<uint32_t>(rng()) & plan.dwMask) | dwHost;
    }
    return static_cast<uint32_t>(rng());
}
} // namespace

SAutoAssignCase DrawAutoAssignCase(std::mt19937_64& rng, size_t nMaxRows) {
    SAutoAssignCase c;
    SAutoAssignPlan& plan = c.plan;
    plan.dwMask = DrawMask(rng);
    uint32_t dwHostMask = ~plan.dwMask;
    uint32_t nIncKind = Uniform(rng, 0, 19);
    plan.dwIncrement = nIncKind < 14   ? Uniform(rng, 1, 99)
                       : nIncKind < 17 ? Uniform(rng, 1, 5)
                                       : Uniform(rng, 1, 255);
    size_t nRows = 0;
    uint32_t nRowKind = Uniform(rng, 0, 19);
    if (nRowKind < 12) {
        nRows = Uniform(rng, 0, 40);
    } else if (nRowKind < 19) {
        nRows = Uniform(rng, 40, 200);
    } else {
        nRows = Uniform(rng, 200, static_cast<uint32_t>(nMaxRows));
    }
    nRows = std::min(nRows, nMaxRows);
    // The base: low in the subnet, anywhere, or near its top (the subnet runs out).
    uint32_t dwBaseHost = 0;
    uint32_t nBaseKind = Uniform(rng, 0, 9);
    if (nBaseKind < 5) {
        dwBaseHost = Uniform(rng, 0, std::min<uint32_t>(dwHostMask, 300));
    } else if (nBaseKind < 7) {
        dwBaseHost = Uniform(rng, 0, dwHostMask);
    } else {
        dwBaseHost = dwHostMask - Uniform(rng, 0, std::min<uint32_t>(dwHostMask, 400));
    }
    plan.dwBaseIp = (static_cast<uint32_t>(rng()) & plan.dwMask) | dwBaseHost;
    plan.nModel = Chance(rng, 0.05) ? 1 : 0;
    // None, one or several addresses of the PC (several interfaces).
    for (int nPc = Chance(rng, 0.7) ? 1 + int(Uniform(rng, 0, 2)) : 0; nPc > 0; --nPc) {
        plan.vecPcIps.push_back(Chance(rng, 0.6)
                                    ? AddressFor(rng, plan, HostOnPath(rng, plan, nRows))
                                    : static_cast<uint32_t>(rng()));
    }
    plan.bDestKnown = Chance(rng, 0.9);
    plan.dwDestIp = Chance(rng, 0.6) ? AddressFor(rng, plan, HostOnPath(rng, plan, nRows))
                                     : static_cast<uint32_t>(rng());

    double dUnset = std::uniform_real_distribution<double>(0.05, 0.8)(rng);
    for (size_t i = 0; i < nRows; ++i) {
        COXParam node;
        node.m_strMac = MacOf(i + 1);
        node.m_nModel = Chance(rng, 0.05) ? 1 : 0;
        if (Chance(rng, dUnset)) {
            node.m_dwIp = NODE_UNSET_IP; // a model-1 node there still has an address
        } else {
            node.m_dwIp = AddressFor(rng, plan, HostOnPath(rng, plan, nRows));
        }
        c.vecRows.push_back(node);
    }
    c.nSeed = rng();
    c.dForeignChance = Chance(rng, 0.5) ? std::uniform_real_distribution<double>(0, 0.3)(rng) : 0;
    c.dKeptChance = Chance(rng, 0.3) ? 1.0 : std::uniform_real_distribution<double>(0.5, 1)(rng);
    return c;
}

SAutoAssignCase FullNetworkCase(size_t nRows, size_t nTaken) {
    SAutoAssignCase c;
    c.plan.dwMask = 0xFFFFF000u; // room for 4094 hosts
    c.plan.dwBaseIp = 0x0A010001u;
    c.plan.dwIncrement = 1;
    c.plan.vecPcIps = {0x0A010005u};
    c.plan.bDestKnown = true;
    c.plan.dwDestIp = 0x0A010009u;
    for (size_t i = 0; i < nRows; ++i) {
        COXParam node;
        node.m_strMac = MacOf(i + 1);
        node.m_dwIp =
            i < nTaken ? 0x0A010001u + static_cast<uint32_t>(nTaken - 1 - i) : NODE_UNSET_IP;
        c.vecRows.push_back(node);
    }
    return c;
}

CModelAssignSite::CModelAssignSite(const SAutoAssignCase& c) : m_case(c), m_vecRows(c.vecRows) {}

void CModelAssignSite::ChangeSomething(std::mt19937_64& rng) {
    uint32_t nKind = Uniform(rng, 0, 3);
    if (nKind == 0 || m_vecRows.empty()) {
        // A node found by a late search answer.
        COXParam node;
        node.m_strMac = MacOf(100000 + m_vecRows.size());
        node.m_dwIp = Chance(rng, 0.3) ? NODE_UNSET_IP
                                       : AddressFor(rng, m_case.plan,
                                                    HostOnPath(rng, m_case.plan, m_vecRows.size()));
        m_vecRows.push_back(node);
    } else {
        // A known node answers from another address (or the unset one).
        COXParam& node = m_vecRows[Uniform(rng, 0, static_cast<uint32_t>(m_vecRows.size() - 1))];
        node.m_dwIp = nKind == 1 ? NODE_UNSET_IP
                                 : AddressFor(rng, m_case.plan,
                                              HostOnPath(rng, m_case.plan, m_vecRows.size()));
        if (nKind == 3 && Chance(rng, 0.2)) {
            node.m_nModel = 1 - node.m_nModel;
        }
    }
    ++m_nForeignChanges;
    ++m_nRevision;
}

EAssignOutcome CModelAssignSite::Offer(size_t nRow) {
    m_vecOffers.push_back({nRow, m_vecRows[nRow].m_dwIp});
    if (m_case.dForeignChance <= 0 && m_case.dKeptChance >= 1) {
        return EAssignOutcome::Kept; // nothing to draw (and no time spent drawing it)
    }
    std::mt19937_64 rng(m_case.nSeed + 0x9E3779B97F4A7C15ull * m_vecOffers.size());
    if (m_case.dForeignChance > 0 && Chance(rng, m_case.dForeignChance)) {
        ChangeSomething(rng);
    }
    double d = std::uniform_real_distribution<double>(0, 1)(rng);
    if (d < m_case.dKeptChance) {
        return EAssignOutcome::Kept;
    }
    double dRest = (d - m_case.dKeptChance) / (1 - m_case.dKeptChance);
    if (dRest < 0.3) {
        return EAssignOutcome::Refused;
    }
    return dRest < 0.93 ? EAssignOutcome::Silent : EAssignOutcome::SilentEndOfRun;
}
