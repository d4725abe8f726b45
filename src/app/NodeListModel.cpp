#include "app/NodeListModel.h"

#include "doc/OrvixDoc.h"
#include "link/NodeProtocol.h"
#include "platform/Cp932.h"
#include "platform/IpText.h"
#include "res/Texts.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <numeric>

const std::array<SNodeListColumn, NODELIST_COLUMNS> NODELIST_COLUMN_TABLE = {{
    {TXT_COL_NUMBER, 30},
    {TXT_COL_MODEL, 130},
    {TXT_COL_SERIAL, 85},
    {TXT_COL_MAC, 130},
    {TXT_COL_IP, 125},
    {TXT_COL_REMARKS, 105},
}};

namespace {
// Most operator texts are plain ASCII, which CP932 and UTF-8 share; only the
// others need the converter.
std::string DisplayText(const std::string& strCp932) {
    bool bAscii = std::all_of(strCp932.begin(), strCp932.end(),
                              [](char ch) { return static_cast<unsigned char>(ch) < 0x80; });
    return bAscii ? strCp932 : Cp932ToUtf8Lossy(strCp932);
}

const std::string& ModelListTextCp932() {
    static const std::string s_str = [] {
        std::string str;
        Utf8ToCp932(TXT_MODEL_LIST_TEXT, str);
        return str;
    }();
    return s_str;
}

// One character of a CP932 text as an ordering key that ignores letter case:
// a single byte with capitals folded to small letters, a double-byte
// character as its 16-bit code with the full-width capitals folded likewise.
unsigned NextCharKey(const std::string& str, size_t& i) {
    auto by = static_cast<unsigned char>(str[i++]);
    if (IsCp932LeadByte(by)) {
        unsigned nTrail = i < str.size() ? static_cast<unsigned char>(str[i++]) : 0u;
        unsigned nCode = (static_cast<unsigned>(by) << 8) | nTrail;
        constexpr unsigned WIDE_A = 0x8260, WIDE_Z = 0x8279, WIDE_CASE_STEP = 0x21;
        return (nCode >= WIDE_A && nCode <= WIDE_Z) ? nCode + WIDE_CASE_STEP : nCode;
    }
    return (by >= 'A' && by <= 'Z') ? by + ('a' - 'A') : by;
}

int CompareNoCase(const std::string& strA, const std::string& strB) {
    size_t i = 0, j = 0;
    while (i < strA.size() && j < strB.size()) {
        unsigned nA = NextCharKey(strA, i);
        unsigned nB = NextCharKey(strB, j);
        if (nA != nB) {
            return nA < nB ? -1 : 1;
        }
    }
    if (i < strA.size()) {
        return 1;
    }
    return j < strB.size() ? -1 : 0;
}

template <typename T> int CompareValues(T a, T b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}

// The address as it lies in memory in network byte order, read as a
// little-endian number: the last octet weighs most.
uint32_t LittleEndianKey(uint32_t dwIp) {
    return ((dwIp & 0xFFu) << 24) | ((dwIp & 0xFF00u) << 8) | ((dwIp >> 8) & 0xFF00u) |
           (dwIp >> 24);
}

// At most nRoom bytes, without splitting a double-byte character.
std::string CutText(const std::string& str, size_t nRoom) {
    if (str.size() <= nRoom) {
        return str;
    }
    size_t nCut = 0;
    while (nCut < nRoom) {
        size_t nChar = IsCp932LeadByte(static_cast<unsigned char>(str[nCut])) ? 2 : 1;
        if (nCut + nChar > nRoom) {
            break;
        }
        nCut += nChar;
    }
    return str.substr(0, nCut);
}

// What the comparisons read of one row: its number and its node's values,
// the texts in CP932.
struct SSortRow {
    int nNumber = 0;
    const COXParam* pNode = nullptr;
    const std::string* pModel = nullptr; // the model column's text
};

int CompareRows(const SSortRow& a, const SSortRow& b, int nColumn) {
    switch (nColumn) {
    case NODELIST_COL_NUMBER:
        return CompareValues(a.nNumber, b.nNumber);
    case NODELIST_COL_MODEL:
        return CompareNoCase(*a.pModel, *b.pModel);
    case NODELIST_COL_SERIAL:
        return CompareNoCase(a.pNode->m_strSerial, b.pNode->m_strSerial);
    case NODELIST_COL_MAC:
        return CompareNoCase(a.pNode->m_strMac, b.pNode->m_strMac);
    case NODELIST_COL_IP:
        return CompareValues(LittleEndianKey(a.pNode->m_dwIp), LittleEndianKey(b.pNode->m_dwIp));
    case NODELIST_COL_REMARKS:
        return CompareNoCase(a.pNode->m_strRemarks, b.pNode->m_strRemarks);
    default:
        return 0;
    }
}

// What a silent row's tooltip says: it did not answer, and when (and
// through which interface) it last did.
std::string SilentToolTip(const SNodeContact& contact) {
    std::string strTip = TXT_SILENT_TIP;
    strTip += '\n';
    if (!contact.bAnswered) {
        return strTip + TXT_SILENT_NEVER;
    }
    auto tTime = static_cast<time_t>(contact.llLastAnswer);
    tm tmLocal{};
    localtime_r(&tTime, &tmLocal);
    char szTime[64] = {};
    std::strftime(szTime, sizeof szTime, TXT_SILENT_TIME_FORMAT, &tmLocal);
    char szLine[256];
    if (contact.strInterface.empty()) {
        std::snprintf(szLine, sizeof szLine, TXT_SILENT_LAST_FORMAT, szTime);
    } else {
        std::snprintf(szLine, sizeof szLine, TXT_SILENT_LAST_ITF_FORMAT, szTime,
                      contact.strInterface.c_str());
    }
    return strTip + szLine;
}

const CNetProperty* CurrentNetworkOf(const COrvixDoc& doc) {
    if (doc.m_nCurNet < 0 || static_cast<size_t>(doc.m_nCurNet) >= doc.m_arrNets.size()) {
        return nullptr;
    }
    return doc.m_arrNets[static_cast<size_t>(doc.m_nCurNet)].get();
}
} // namespace

void CNodeListModel::Rebuild(const COrvixDoc& doc) {
    ++m_nRebuilds;
    m_vecRows.clear();
    m_vecToolTips.clear();
    const CNetProperty* pNet = CurrentNetworkOf(doc);
    if (pNet == nullptr) {
        m_strTitle = TXT_NO_NETWORK_TITLE;
        return;
    }
    m_strTitle = DisplayText(pNet->m_strName);
    size_t nRows = std::min(pNet->m_arrNodes.size(), NODELIST_MAX_ROWS);
    m_vecRows.resize(nRows);
    m_vecToolTips.resize(nRows);
    for (size_t i = 0; i < nRows; ++i) {
        const COXParam& node = pNet->m_arrNodes[i];
        std::array<std::string, NODELIST_COLUMNS>& arrTexts = m_vecRows[i];
        char szNumber[16];
        std::snprintf(szNumber, sizeof szNumber, "%d", static_cast<int>(i) + 1);
        arrTexts[NODELIST_COL_NUMBER] = szNumber;
        arrTexts[NODELIST_COL_MODEL] =
            node.m_nModel == MODEL_INDEX_MRV620 ? TXT_MODEL_LIST_TEXT : "";
        arrTexts[NODELIST_COL_SERIAL] = DisplayText(node.m_strSerial);
        arrTexts[NODELIST_COL_MAC] = DisplayText(node.m_strMac);
        arrTexts[NODELIST_COL_IP] = FormatIpHost(node.m_dwIp);
        arrTexts[NODELIST_COL_REMARKS] = DisplayText(node.m_strRemarks);
        const SNodeContact* pContact = doc.m_contacts.Find(node.m_strMac);
        if (pContact != nullptr && pContact->bSilent) {
            m_vecToolTips[i] = SilentToolTip(*pContact);
        }
    }
}

const std::string& CNodeListModel::GetToolTip(size_t nRow) const {
    static const std::string s_strNone;
    return nRow < m_vecToolTips.size() ? m_vecToolTips[nRow] : s_strNone;
}

const std::string& CNodeListModel::GetText(size_t nRow, int nColumn) const {
    static const std::string s_strNone;
    if (nRow >= m_vecRows.size() || nColumn < 0 || nColumn >= NODELIST_COLUMNS) {
        return s_strNone;
    }
    return m_vecRows[nRow][static_cast<size_t>(nColumn)];
}

void CNodeListModel::SortByColumn(COrvixDoc& doc, int nColumn) {
    const CNetProperty* pNet = CurrentNetworkOf(doc);
    if (pNet == nullptr || nColumn < 0 || nColumn >= NODELIST_COLUMNS) {
        return;
    }
    // The rows as the document holds them now (the list shows exactly these
    // after every update).
    static const std::string s_strNoModel;
    size_t nRows = std::min(pNet->m_arrNodes.size(), NODELIST_MAX_ROWS);
    std::vector<SSortRow> vecRows(nRows);
    for (size_t i = 0; i < nRows; ++i) {
        const COXParam& node = pNet->m_arrNodes[i];
        vecRows[i] = {static_cast<int>(i) + 1, &node,
                      node.m_nModel == MODEL_INDEX_MRV620 ? &ModelListTextCp932() : &s_strNoModel};
    }
    auto nCol = static_cast<size_t>(nColumn);
    int nSign = m_arrAscending[nCol] ? 1 : -1;
    std::vector<size_t> vecOrder(nRows);
    std::iota(vecOrder.begin(), vecOrder.end(), size_t{0});
    std::stable_sort(vecOrder.begin(), vecOrder.end(), [&](size_t nA, size_t nB) {
        return nSign * CompareRows(vecRows[nA], vecRows[nB], nColumn) < 0;
    });
    m_arrAscending[nCol] = !m_arrAscending[nCol];

    // The nodes again, in row order, as a row reads back: model index 0, the
    // texts cut to the room a row's text is read into (a dotted address always
    // fits, so the IP comes back as it was).
    std::vector<COXParam> vecNodes(nRows);
    for (size_t i = 0; i < nRows; ++i) {
        const COXParam& row = *vecRows[vecOrder[i]].pNode;
        COXParam& node = vecNodes[i];
        node.m_nModel = MODEL_INDEX_MRV620;
        node.m_dwIp = row.m_dwIp;
        node.m_strMac = CutText(row.m_strMac, NODELIST_READ_ADDRESS);
        node.m_strSerial = CutText(row.m_strSerial, NODELIST_READ_TEXT);
        node.m_strRemarks = CutText(row.m_strRemarks, NODELIST_READ_TEXT);
    }
    unsigned nRebuildsBefore = m_nRebuilds;
    doc.ReplaceCurrentNodes(vecNodes);
    // The views' update has usually rebuilt the list already.
    if (m_nRebuilds == nRebuildsBefore) {
        Rebuild(doc);
    }
}

SCommandState CNodeListModel::GetCommandState(const COrvixDoc& doc, int nSelected) const {
    SCommandState state;
    const CNetProperty* pNet = CurrentNetworkOf(doc);
    state.bNetwork = pNet != nullptr;
    state.nRows = m_vecRows.size();
    if (pNet != nullptr && nSelected >= 0 && static_cast<size_t>(nSelected) < m_vecRows.size() &&
        static_cast<size_t>(nSelected) < pNet->m_arrNodes.size()) {
        state.pSelected = &pNet->m_arrNodes[static_cast<size_t>(nSelected)];
    }
    return state;
}
