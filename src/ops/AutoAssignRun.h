#pragma once
// The automatic IP assignment's run over the rows of the current network:
// which address each node without one is offered, and what becomes of it.
// The document-free part, so that the selection can be checked against
// registries of every shape.
#include "registry/OXParam.h"

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

// What a run starts from.
struct SAutoAssignPlan {
    uint32_t dwBaseIp = 0;
    uint32_t dwMask = 0;
    uint32_t dwIncrement = 1;       // 1 to 255 (the dialog allows 1 to 99)
    int nModel = 0;                 // only nodes of this model are given addresses
    std::vector<uint32_t> vecPcIps; // the PC's own addresses; empty: none known
    bool bDestKnown = false;        // the defaults' destination address applies
    uint32_t dwDestIp = 0;
};

// What became of the node an address was offered to.
enum class EAssignOutcome {
    Kept,           // it acknowledged: the address stays
    Refused,        // abnormal reply (already reported): the address is taken back
    Silent,         // no reply, the operator goes on: the address is taken back
    SilentEndOfRun, // no reply, the operator ends the run: the address is taken back
};

enum class EAutoAssignEnd { Done, EndedByOperator, NoFreeAddress, Stopped };

// What the run works on: the document in the product, a model in tests.
class CAutoAssignSite {
public:
    virtual ~CAutoAssignSite() = default;
    // The current network's rows, read again before every row.
    virtual std::vector<COXParam>& Rows() = 0;
    // Before each row is looked at.
    virtual void OnNextRow() {}
    // A stop was asked for: the run ends before the next node is served.
    virtual bool ShouldStop() const { return false; }
    // Changes whenever the rows changed other than by the run itself.
    virtual uint32_t GetRevision() const = 0;
    // Row nRow already carries its new address: send it the settings and wait.
    virtual EAssignOutcome Offer(size_t nRow) = 0;
    // A node kept its address.
    virtual void UpdateViews() = 0;
};

// Picks the address of each node. Candidates are host parts from the base IP
// on; the host part carries over from node to node (it is not advanced after a
// node took it: the next node finds it taken and moves on). A candidate is
// moved on by the increment while the PC or the destination address would be
// hit, then stepped past every host part held by a node with an address —
// only host parts are compared, so a node of another subnet blocks its host
// part too. Each step past a taken host part moves on past the PC and the
// destination as often as needed and skips low bytes 0x00 and 0xFF.
//
// The taken host parts are kept in a set of counts, updated from the row the
// last address went to, and rebuilt from the rows only when something else
// may have changed them; a pick costs the steps it makes, not a scan of the
// rows per step.
class CAutoAddressPicker {
public:
    explicit CAutoAddressPicker(const SAutoAssignPlan& plan);

    // The address for row nRow (a node without one): false when the subnet
    // has none left. bRowsMayHaveMoved: rows other than the ones this picker
    // gave an address to may have changed since the last pick.
    bool Pick(const std::vector<COXParam>& vecRows, size_t nRow, bool bRowsMayHaveMoved,
              uint32_t& dwIp);

private:
    static constexpr uint64_t KEY_NONE = uint64_t(1) << 32; // a row without an address

    bool IsAvoided(uint32_t dwHost) const;
    uint32_t StepPastTaken(uint32_t dwHost) const;
    uint64_t KeyOf(const COXParam& node) const;
    void Rebuild(const std::vector<COXParam>& vecRows);
    void SetKey(size_t nRow, uint64_t nKey);

    SAutoAssignPlan m_plan;
    uint32_t m_dwHostMask;
    uint32_t m_dwPrefix;
    uint32_t m_dwHost;
    bool m_bBuilt = false;
    size_t m_nLastRow = SIZE_MAX;
    std::vector<uint64_t> m_vecKeys;                   // per row
    std::unordered_map<uint32_t, uint32_t> m_mapTaken; // host part -> rows holding it
};

// Runs over the rows from the first (counted again before each): every node
// of the plan's model without an address is offered the next free address.
// Ends early when the subnet has no address left, the operator ends it, or a
// stop is asked for (between two nodes, never inside a node's exchange).
EAutoAssignEnd RunAutoAssignment(const SAutoAssignPlan& plan, CAutoAssignSite& site);
