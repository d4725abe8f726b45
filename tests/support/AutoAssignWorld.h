#pragma once
// Random registries for the automatic assignment, and a run site over them in
// memory: what each node answers, and what else changes in the registry while
// a node is awaited, follows from a seed and the number of the offer, so that
// two runs that make the same offers see the same world.
#include "ops/AutoAssignRun.h"

#include <cstdint>
#include <random>
#include <vector>

struct SAutoAssignCase {
    SAutoAssignPlan plan;
    std::vector<COXParam> vecRows;
    uint64_t nSeed = 0;
    double dForeignChance = 0; // of a registry change during a wait
    double dKeptChance = 1;    // the rest: refused, silent, silent and ended
};

// A case drawn from the random source: masks (contiguous and not), bases
// anywhere in the subnet, increments, nodes without address, nodes holding
// addresses on the candidates' path, in other subnets or anywhere, the PC and
// the destination on the path or elsewhere. nMaxRows bounds the rows.
SAutoAssignCase DrawAutoAssignCase(std::mt19937_64& rng, size_t nMaxRows);

// A case of nRows rows that all answer: the first nTaken hold the addresses
// from the base on, listed from the highest down, the rest have none.
SAutoAssignCase FullNetworkCase(size_t nRows, size_t nTaken);

class CModelAssignSite : public CAutoAssignSite {
public:
    struct SOffer {
        size_t nRow;
        uint32_t dwIp;
        bool operator==(const SOffer&) const = default;
    };

    explicit CModelAssignSite(const SAutoAssignCase& c);

    std::vector<COXParam>& Rows() override { return m_vecRows; }
    uint32_t GetRevision() const override { return m_nRevision; }
    EAssignOutcome Offer(size_t nRow) override;
    void UpdateViews() override { ++m_nRevision; }

    std::vector<SOffer> m_vecOffers;
    size_t m_nForeignChanges = 0;

private:
    void ChangeSomething(std::mt19937_64& rng);

    SAutoAssignCase m_case;
    std::vector<COXParam> m_vecRows;
    uint32_t m_nRevision = 0;
};
