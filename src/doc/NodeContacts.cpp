#include "doc/NodeContacts.h"

#include "registry/OXParam.h"

#include <cctype>

namespace {
// MACs are matched ignoring case, as the registry does.
std::string MacKey(const std::string& strMac) {
    std::string strKey = strMac;
    for (char& ch : strKey) {
        ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    }
    return strKey;
}
} // namespace

void CNodeContacts::NoteReply(const std::string& strMac, int64_t llNow,
                              const std::string& strInterface) {
    SNodeContact& contact = m_mapByMac[MacKey(strMac)];
    if (contact.bAnswered && contact.nSearch == m_nSearch) {
        return;
    }
    contact.bAnswered = true;
    contact.bSilent = false;
    contact.llLastAnswer = llNow;
    contact.strInterface = strInterface;
    contact.nSearch = m_nSearch;
}

SSearchTally CNodeContacts::MarkSilent(const std::vector<COXParam>& vecNodes,
                                       const std::function<bool(const COXParam&)>& fnAsked) {
    SSearchTally tally;
    tally.nRegistered = static_cast<int>(vecNodes.size());
    for (const COXParam& node : vecNodes) {
        SNodeContact& contact = m_mapByMac[MacKey(node.m_strMac)];
        bool bAnswered = contact.bAnswered && contact.nSearch == m_nSearch;
        if (!bAnswered && fnAsked && !fnAsked(node)) {
            continue; // not asked: nothing learnt about it
        }
        tally.bChanged = tally.bChanged || contact.bSilent == bAnswered;
        contact.bSilent = !bAnswered;
        if (bAnswered) {
            ++tally.nFound;
        } else {
            ++tally.nSilent;
        }
    }
    m_lastTally = tally;
    return tally;
}

bool CNodeContacts::AnsweredLastSearch(const std::string& strMac) const {
    const SNodeContact* pContact = Find(strMac);
    return pContact != nullptr && pContact->bAnswered && pContact->nSearch == m_nSearch;
}

const SNodeContact* CNodeContacts::Find(const std::string& strMac) const {
    auto it = m_mapByMac.find(MacKey(strMac));
    return it != m_mapByMac.end() ? &it->second : nullptr;
}

bool CNodeContacts::IsSilent(const std::string& strMac) const {
    const SNodeContact* pContact = Find(strMac);
    return pContact != nullptr && pContact->bSilent;
}
