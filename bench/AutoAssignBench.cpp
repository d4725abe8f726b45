// The automatic assignment's address selection on a full network (1024 rows):
// the step-by-step run, which scans the rows again after every taken address,
// against the product's picker, side by side, with a check that both offered
// the same nodes the same addresses. Nodes answer at once, so the times are
// the selection's own work. Runs anywhere; sends nothing.
#include "AutoAssignWorld.h"
#include "LiteralAutoAssign.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace {
struct SMeasure {
    double dMs = 0; // median of the runs
    std::vector<CModelAssignSite::SOffer> vecOffers;
    EAutoAssignEnd eEnd = EAutoAssignEnd::Done;
};

SMeasure Measure(const SAutoAssignCase& c,
                 const std::function<EAutoAssignEnd(const SAutoAssignPlan&, CAutoAssignSite&)>& fn,
                 int nRuns) {
    SMeasure m;
    std::vector<double> vecMs;
    for (int i = 0; i < nRuns; ++i) {
        CModelAssignSite site(c);
        auto start = std::chrono::steady_clock::now();
        m.eEnd = fn(c.plan, site);
        vecMs.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
        m.vecOffers = site.m_vecOffers;
    }
    std::sort(vecMs.begin(), vecMs.end());
    m.dMs = vecMs[vecMs.size() / 2];
    return m;
}

bool Report(const char* pszName, const SAutoAssignCase& c, int nRuns) {
    SMeasure literal = Measure(c, RunAutoAssignmentLiterally, nRuns);
    SMeasure ours = Measure(c, RunAutoAssignment, nRuns);
    bool bSame = literal.eEnd == ours.eEnd && literal.vecOffers == ours.vecOffers;
    std::printf("%-44s %5zu %7zu %12.3f %10.3f   %s\n", pszName, c.vecRows.size(),
                literal.vecOffers.size(), literal.dMs, ours.dMs, bSame ? "yes" : "NO");
    return bSame;
}
} // namespace

int main() {
    std::printf("%-44s %5s %7s %12s %10s   %s\n", "registry", "rows", "offers", "literal ms",
                "ours ms", "identical");
    bool bAllSame = true;
    bAllSame &= Report("1024 nodes without address", FullNetworkCase(1024, 0), 15);
    bAllSame &= Report("300 taken (highest first) + 724 without", FullNetworkCase(1024, 300), 15);
    bAllSame &= Report("512 taken (highest first) + 512 without", FullNetworkCase(1024, 512), 15);
    bAllSame &= Report("1000 taken (highest first) + 24 without", FullNetworkCase(1024, 1000), 15);
    std::mt19937_64 rng(7);
    int nRandom = 0;
    while (nRandom < 5) {
        SAutoAssignCase c = DrawAutoAssignCase(rng, 1024);
        size_t nWithout = std::count_if(c.vecRows.begin(), c.vecRows.end(),
                                        [](const COXParam& n) { return !HasAddress(n); });
        c.dKeptChance = 1;
        c.dForeignChance = 0;
        if (c.vecRows.size() < 1000 || c.plan.nModel != 0 || nWithout < 100) {
            continue;
        }
        CModelAssignSite probe(c);
        RunAutoAssignment(c.plan, probe);
        if (probe.m_vecOffers.size() < 100) {
            continue; // the subnet runs out at once: nothing to measure
        }
        ++nRandom;
        std::string strName = "random registry " + std::to_string(nRandom);
        bAllSame &= Report(strName.c_str(), c, 15);
    }
    if (!bAllSame) {
        std::printf("the two runs differ\n");
        return 1;
    }
    return 0;
}
