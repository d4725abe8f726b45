#pragma once
// What the manager saw of each node while it runs: whether it answered the
// last broadcast search, when it last answered, and through which interface.
// Kept in memory only; the data file never sees it.
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

class COXParam;

struct SNodeContact {
    bool bSilent = false;     // registered, but quiet in the last broadcast search
    bool bAnswered = false;   // answered at least once in this run
    int64_t llLastAnswer = 0; // calendar seconds of the last answer
    std::string strInterface; // where that answer came in; empty: unknown
    uint32_t nSearch = 0;     // the broadcast search it last answered in
};

// How one search ended for the current network.
struct SSearchTally {
    int nFound = 0;        // registered nodes that answered
    int nRegistered = 0;   // nodes of the network afterwards
    int nSilent = 0;       // nodes asked that did not answer: marked silent
    bool bChanged = false; // a mark was set or cleared
};

class CNodeContacts {
public:
    // A search starts: answers from now on count for it.
    void BeginSearch() { ++m_nSearch; }
    // A search reply. A node that answers again within the same search (a
    // second probe, a second interface) changes nothing; any answer clears
    // the node's silent mark.
    void NoteReply(const std::string& strMac, int64_t llNow, const std::string& strInterface);
    // After a search: marks the nodes it asked that did not answer and clears
    // the marks of those that did. fnAsked: which nodes the search asked (an
    // address search asks some); none: all of them. The tally is kept.
    SSearchTally MarkSilent(const std::vector<COXParam>& vecNodes,
                            const std::function<bool(const COXParam&)>& fnAsked = nullptr);
    // The last MarkSilent's tally.
    const SSearchTally& GetLastTally() const { return m_lastTally; }
    // Whether the node answered the last search.
    bool AnsweredLastSearch(const std::string& strMac) const;
    // Nothing known: nullptr.
    const SNodeContact* Find(const std::string& strMac) const;
    bool IsSilent(const std::string& strMac) const;

private:
    std::map<std::string, SNodeContact> m_mapByMac; // upper-case MAC
    uint32_t m_nSearch = 0;
    SSearchTally m_lastTally;
};
