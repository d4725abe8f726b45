// Interim node list model so that the window builds before the core's own
// lands; removed on merge.
#include "app/NodeListModel.h"

#include "doc/OrvixDoc.h"
#include "platform/Cp932.h"
#include "platform/IpText.h"
#include "res/RegistryTexts.h"

#include <algorithm>
#include <cstdio>
#include <numeric>
#include <strings.h>

const std::array<SNodeListColumn, NODELIST_COLUMNS> NODELIST_COLUMN_TABLE = {{
    {"No.", 30},
    {"機種", 130},
    {"ｼﾘｱﾙNo.", 85},
    {"MACｱﾄﾞﾚｽ", 130},
    {"IPｱﾄﾞﾚｽ", 125},
    {"備考", 105},
}};

void CNodeListModel::Rebuild(const COrvixDoc& doc) {
    m_vecRows.clear();
    if (doc.m_pCurNet == nullptr) {
        return;
    }
    const auto& nodes = doc.m_pCurNet->m_arrNodes;
    size_t nRows = std::min(nodes.size(), NODELIST_MAX_ROWS);
    m_vecRows.reserve(nRows);
    for (size_t i = 0; i < nRows; ++i) {
        const COXParam& node = nodes[i];
        std::array<std::string, NODELIST_COLUMNS> row;
        row[0] = std::to_string(i + 1);
        row[1] = node.m_nModel == 0 ? TXT_MODEL_LIST_TEXT : "";
        row[2] = Cp932ToUtf8Lossy(node.m_strSerial);
        row[3] = Cp932ToUtf8Lossy(node.m_strMac);
        row[4] = FormatIpHost(node.m_dwIp);
        row[5] = Cp932ToUtf8Lossy(node.m_strRemarks);
        m_vecRows.push_back(std::move(row));
    }
}

const std::string& CNodeListModel::GetText(size_t nRow, int nColumn) const {
    return m_vecRows[nRow][static_cast<size_t>(nColumn)];
}

void CNodeListModel::SortByColumn(COrvixDoc& doc, int nColumn) {
    if (doc.m_pCurNet == nullptr) {
        return;
    }
    bool bAscending = IsAscending(nColumn);
    std::vector<COXParam> nodes = doc.m_pCurNet->m_arrNodes;
    nodes.resize(std::min(nodes.size(), m_vecRows.size()));
    std::vector<size_t> order(nodes.size());
    std::iota(order.begin(), order.end(), 0);
    auto key = [&](size_t a, size_t b) -> int {
        switch (nColumn) {
        case 0:
            return a < b ? -1 : (a > b ? 1 : 0);
        case 4: {
            auto le = [](uint32_t dw) {
                return ((dw & 0xFF) << 24) | ((dw & 0xFF00) << 8) | ((dw >> 8) & 0xFF00) |
                       (dw >> 24);
            };
            uint32_t ka = le(nodes[a].m_dwIp), kb = le(nodes[b].m_dwIp);
            return ka < kb ? -1 : (ka > kb ? 1 : 0);
        }
        default:
            return strcasecmp(m_vecRows[a][static_cast<size_t>(nColumn)].c_str(),
                              m_vecRows[b][static_cast<size_t>(nColumn)].c_str());
        }
    };
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        int n = key(a, b);
        return bAscending ? n < 0 : n > 0;
    });
    m_arrAscending[static_cast<size_t>(nColumn)] = !bAscending;
    doc.HoldViewUpdates();
    doc.ClearCurrentNodes();
    for (size_t i : order) {
        const COXParam& node = nodes[i];
        doc.AddOrUpdateNode(0, node.m_dwIp, node.m_strMac, true, node.m_strSerial.substr(0, 511),
                            node.m_strRemarks.substr(0, 511));
    }
    doc.ReleaseViewUpdates();
}
