#include "ops/AutoAssignRun.h"

#include "params/NodeParam.h"

#include <algorithm>

CAutoAddressPicker::CAutoAddressPicker(const SAutoAssignPlan& plan)
    : m_plan(plan), m_dwHostMask(~plan.dwMask), m_dwPrefix(plan.dwBaseIp & plan.dwMask),
      m_dwHost(plan.dwBaseIp & ~plan.dwMask) {}

bool CAutoAddressPicker::IsAvoided(uint32_t dwHost) const {
    uint32_t dwIp = m_dwPrefix | dwHost;
    return std::find(m_plan.vecPcIps.begin(), m_plan.vecPcIps.end(), dwIp) !=
               m_plan.vecPcIps.end() ||
           (m_plan.bDestKnown && dwIp == m_plan.dwDestIp);
}

uint32_t CAutoAddressPicker::StepPastTaken(uint32_t dwHost) const {
    do {
        dwHost += m_plan.dwIncrement;
        // As often as needed: one skip may land on the other avoided address.
        while (IsAvoided(dwHost)) {
            dwHost += m_plan.dwIncrement;
        }
    } while ((dwHost & 0xFF) == 0xFF || (dwHost & 0xFF) == 0x00);
    return dwHost;
}

uint64_t CAutoAddressPicker::KeyOf(const COXParam& node) const {
    return HasAddress(node) ? uint64_t(node.m_dwIp & m_dwHostMask) : KEY_NONE;
}

void CAutoAddressPicker::SetKey(size_t nRow, uint64_t nKey) {
    uint64_t& nOld = m_vecKeys[nRow];
    if (nOld == nKey) {
        return;
    }
    if (nOld != KEY_NONE) {
        auto it = m_mapTaken.find(static_cast<uint32_t>(nOld));
        if (--it->second == 0) {
            m_mapTaken.erase(it);
        }
    }
    if (nKey != KEY_NONE) {
        ++m_mapTaken[static_cast<uint32_t>(nKey)];
    }
    nOld = nKey;
}

void CAutoAddressPicker::Rebuild(const std::vector<COXParam>& vecRows) {
    m_mapTaken.clear();
    m_vecKeys.assign(vecRows.size(), KEY_NONE);
    for (size_t i = 0; i < vecRows.size(); ++i) {
        SetKey(i, KeyOf(vecRows[i]));
    }
    m_bBuilt = true;
}

bool CAutoAddressPicker::Pick(const std::vector<COXParam>& vecRows, size_t nRow,
                              bool bRowsMayHaveMoved, uint32_t& dwIp) {
    if (!m_bBuilt || bRowsMayHaveMoved || vecRows.size() != m_vecKeys.size()) {
        Rebuild(vecRows);
    } else if (m_nLastRow < vecRows.size()) {
        SetKey(m_nLastRow, KeyOf(vecRows[m_nLastRow])); // kept or taken back
    }
    m_nLastRow = nRow;
    // The node being served has no address, so it never blocks itself.
    while (IsAvoided(m_dwHost)) {
        m_dwHost += m_plan.dwIncrement;
    }
    // A host part beyond the mask is never taken: the loop ends there.
    while (m_mapTaken.count(m_dwHost) != 0) {
        m_dwHost = StepPastTaken(m_dwHost);
    }
    if (m_dwHost > m_dwHostMask) {
        return false;
    }
    dwIp = m_dwPrefix | m_dwHost;
    return true;
}

EAutoAssignEnd RunAutoAssignment(const SAutoAssignPlan& plan, CAutoAssignSite& site) {
    CAutoAddressPicker picker(plan);
    bool bRowsMayHaveMoved = true;
    uint32_t nRevision = site.GetRevision();
    for (size_t i = 0; i < site.Rows().size(); ++i) {
        site.OnNextRow();
        std::vector<COXParam>& vecRows = site.Rows();
        if (i >= vecRows.size()) {
            break;
        }
        if (HasAddress(vecRows[i]) || vecRows[i].m_nModel != plan.nModel) {
            continue;
        }
        if (site.ShouldStop()) {
            return EAutoAssignEnd::Stopped;
        }
        if (site.GetRevision() != nRevision) {
            bRowsMayHaveMoved = true;
        }
        uint32_t dwIp = 0;
        if (!picker.Pick(vecRows, i, bRowsMayHaveMoved, dwIp)) {
            return EAutoAssignEnd::NoFreeAddress;
        }
        vecRows[i].m_dwIp = dwIp;
        nRevision = site.GetRevision();
        EAssignOutcome eOutcome = site.Offer(i);
        // Replies taken in while waiting (or while the operator decided) may
        // have changed rows; the picker then reads them all again.
        bRowsMayHaveMoved = site.GetRevision() != nRevision;
        std::vector<COXParam>& vecNow = site.Rows();
        if (eOutcome == EAssignOutcome::Kept) {
            site.UpdateViews();
        } else if (i < vecNow.size()) {
            vecNow[i].m_dwIp = NODE_UNSET_IP;
        }
        nRevision = site.GetRevision();
        if (eOutcome == EAssignOutcome::SilentEndOfRun) {
            return EAutoAssignEnd::EndedByOperator;
        }
    }
    return EAutoAssignEnd::Done;
}
