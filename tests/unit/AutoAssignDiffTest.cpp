// The product's run of the automatic assignment against the step-by-step
// transcription of the operation, on thousands of random registries: the same
// nodes must be offered the same addresses in the same order, and the run must
// end the same way with the same registry.
#include "AutoAssignWorld.h"
#include "LiteralAutoAssign.h"
#include "params/NodeParam.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {
std::string Describe(const SAutoAssignCase& c) {
    std::ostringstream out;
    out << std::hex << "mask " << c.plan.dwMask << " base " << c.plan.dwBaseIp << std::dec
        << " inc " << c.plan.dwIncrement << " model " << c.plan.nModel << std::hex << " pc "
        << (c.plan.vecPcIps.empty() ? 0 : c.plan.vecPcIps.front()) << " dest "
        << (c.plan.bDestKnown ? c.plan.dwDestIp : 0) << std::dec << " rows " << c.vecRows.size()
        << " foreign " << c.dForeignChance << " kept " << c.dKeptChance;
    return out.str();
}

struct SRunResult {
    EAutoAssignEnd eEnd;
    std::vector<CModelAssignSite::SOffer> vecOffers;
    std::vector<uint32_t> vecIps;
    size_t nForeign;
};

SRunResult RunBoth(const SAutoAssignCase& c, bool bLiteral) {
    CModelAssignSite site(c);
    EAutoAssignEnd eEnd =
        bLiteral ? RunAutoAssignmentLiterally(c.plan, site) : RunAutoAssignment(c.plan, site);
    SRunResult result{eEnd, site.m_vecOffers, {}, site.m_nForeignChanges};
    for (const COXParam& node : site.Rows()) {
        result.vecIps.push_back(node.m_dwIp);
    }
    return result;
}

const char* EndName(EAutoAssignEnd e) {
    switch (e) {
    case EAutoAssignEnd::Done:
        return "done";
    case EAutoAssignEnd::EndedByOperator:
        return "ended";
    case EAutoAssignEnd::NoFreeAddress:
        return "no free address";
    case EAutoAssignEnd::Stopped:
        return "stopped";
    }
    return "?";
}
} // namespace

TEST(AutoAssignSelection, GivesTheSameAddressesAsTheStepByStepRunOnRandomRegistries) {
    std::mt19937_64 rng(20240611);
    const int nCases = 6000;
    int nNoFree = 0, nEnded = 0, nWithForeign = 0, nSkipsPastTaken = 0;
    size_t nOffers = 0;
    for (int n = 0; n < nCases; ++n) {
        SAutoAssignCase c = DrawAutoAssignCase(rng, 1024);
        SRunResult literal = RunBoth(c, true);
        SRunResult ours = RunBoth(c, false);
        ASSERT_EQ(EndName(ours.eEnd), std::string(EndName(literal.eEnd)))
            << "case " << n << ": " << Describe(c);
        ASSERT_EQ(ours.vecOffers.size(), literal.vecOffers.size())
            << "case " << n << ": " << Describe(c);
        for (size_t k = 0; k < literal.vecOffers.size(); ++k) {
            ASSERT_EQ(ours.vecOffers[k].nRow, literal.vecOffers[k].nRow)
                << "case " << n << " offer " << k << ": " << Describe(c);
            ASSERT_EQ(ours.vecOffers[k].dwIp, literal.vecOffers[k].dwIp)
                << "case " << n << " offer " << k << ": " << Describe(c);
        }
        ASSERT_EQ(ours.vecIps, literal.vecIps) << "case " << n << ": " << Describe(c);
        nNoFree += literal.eEnd == EAutoAssignEnd::NoFreeAddress;
        nEnded += literal.eEnd == EAutoAssignEnd::EndedByOperator;
        nWithForeign += literal.nForeign > 0;
        nOffers += literal.vecOffers.size();
        uint32_t dwBaseHost = c.plan.dwBaseIp & ~c.plan.dwMask;
        for (const auto& offer : literal.vecOffers) {
            uint32_t dwHost = offer.dwIp & ~c.plan.dwMask;
            nSkipsPastTaken += dwHost > dwBaseHost + c.plan.dwIncrement * 2;
        }
    }
    // The draw reaches every way a run can go.
    EXPECT_GT(nNoFree, nCases / 20);
    EXPECT_GT(nEnded, nCases / 50);
    EXPECT_GT(nWithForeign, nCases / 10);
    EXPECT_GT(nSkipsPastTaken, nCases);
    EXPECT_GT(nOffers, size_t(nCases) * 10);
}

TEST(AutoAssignSelection, GivesTheSameAddressesOnAFullNetwork) {
    for (size_t nTaken : {size_t(0), size_t(300), size_t(512), size_t(1000)}) {
        SAutoAssignCase c = FullNetworkCase(1024, nTaken);
        SRunResult literal = RunBoth(c, true);
        SRunResult ours = RunBoth(c, false);
        EXPECT_EQ(ours.eEnd, literal.eEnd) << nTaken;
        EXPECT_EQ(ours.vecOffers, literal.vecOffers) << nTaken;
        EXPECT_EQ(ours.vecIps, literal.vecIps) << nTaken;
        EXPECT_EQ(literal.vecOffers.size(), 1024 - nTaken);
    }
}

TEST(AutoAssignSelection, PicksStepPastThePcTheDestinationAndTakenHostParts) {
    // Base 10.0.0.10/24 by 5; the PC on .10, the destination on .15, .20 taken
    // in another subnet; stepping past .250 (taken) skips .255.
    SAutoAssignPlan plan;
    plan.dwBaseIp = 0x0A00000Au;
    plan.dwMask = 0xFFFFFF00u;
    plan.dwIncrement = 5;
    plan.vecPcIps = {0x0A00000Au};
    plan.bDestKnown = true;
    plan.dwDestIp = 0x0A00000Fu;
    std::vector<COXParam> vecRows(3);
    vecRows[0].m_dwIp = 0xAC100014u; // 172.16.0.20
    vecRows[1].m_dwIp = NODE_UNSET_IP;
    vecRows[2].m_dwIp = NODE_UNSET_IP;
    CAutoAddressPicker picker(plan);
    uint32_t dwIp = 0;
    ASSERT_TRUE(picker.Pick(vecRows, 1, false, dwIp));
    EXPECT_EQ(dwIp, 0x0A000019u); // .10 PC, .15 destination, .20 taken: .25
    vecRows[1].m_dwIp = dwIp;
    ASSERT_TRUE(picker.Pick(vecRows, 2, false, dwIp));
    EXPECT_EQ(dwIp, 0x0A00001Eu); // .25 now taken: .30

    plan.dwBaseIp = 0x0A0000FAu; // .250
    plan.vecPcIps.clear();
    CAutoAddressPicker pickerHigh(plan);
    vecRows[0].m_dwIp = 0x0A0000FAu;
    vecRows[1].m_dwIp = NODE_UNSET_IP;
    EXPECT_FALSE(pickerHigh.Pick(vecRows, 1, false, dwIp)); // .255 skipped, 260 beyond
}
