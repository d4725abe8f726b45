#include "LiteralAutoAssign.h"

#include "params/NodeParam.h"

EAutoAssignEnd RunAutoAssignmentLiterally(const SAutoAssignPlan& plan, CAutoAssignSite& site) {
    const uint32_t dwDest = plan.dwDestIp;
    const uint32_t dwInc = plan.dwIncrement;
    auto avoided = [&](uint32_t dwIp) {
        for (uint32_t dwPc : plan.vecPcIps) {
            if (dwIp == dwPc) {
                return true;
            }
        }
        return plan.bDestKnown && dwIp == dwDest;
    };
    // Step 3.
    const uint32_t dwHostMask = ~plan.dwMask;
    const uint32_t dwPrefix = plan.dwBaseIp & plan.dwMask;
    uint32_t dwHost = plan.dwBaseIp & dwHostMask;
    // Step 4: the number of rows is read again before each node.
    for (size_t i = 0; i < site.Rows().size(); ++i) {
        site.OnNextRow();
        std::vector<COXParam>& rows = site.Rows();
        // 4.1
        if (HasAddress(rows[i]) || rows[i].m_nModel != plan.nModel) {
            continue;
        }
        // 4.2
        while (avoided(dwPrefix | dwHost)) {
            dwHost += dwInc;
        }
        // 4.3
        for (size_t j = 0; j < rows.size();) {
            if (j == i || !HasAddress(rows[j])) {
                ++j;
                continue;
            }
            if (dwHost > dwHostMask) {
                break;
            }
            if ((rows[j].m_dwIp & dwHostMask) == dwHost) {
                do {
                    dwHost += dwInc;
                    // Past the PC and the destination as often as needed (the
                    // operation's text adds the increment once more only,
                    // which can land on the other one).
                    while (avoided(dwPrefix | dwHost)) {
                        dwHost += dwInc;
                    }
                } while ((dwHost & 0xFF) == 0xFF || (dwHost & 0xFF) == 0x00);
                j = 0;
                continue;
            }
            ++j;
        }
        // 4.4
        if (dwHost > dwHostMask) {
            return EAutoAssignEnd::NoFreeAddress;
        }
        // 4.5
        rows[i].m_dwIp = dwPrefix | dwHost;
        // 4.6 to 4.8
        EAssignOutcome eOutcome = site.Offer(i);
        if (eOutcome == EAssignOutcome::Kept) {
            site.UpdateViews();
        } else {
            site.Rows()[i].m_dwIp = NODE_UNSET_IP;
        }
        if (eOutcome == EAssignOutcome::SilentEndOfRun) {
            return EAutoAssignEnd::EndedByOperator;
        }
    }
    return EAutoAssignEnd::Done;
}
