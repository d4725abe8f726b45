#pragma once
// The node list of the main window without its widget: one row per node of the
// current network, six columns of text, sorting by a column, and the network's
// nodes re-ordered to the rows so that the data file keeps the order.
#include <array>
#include <cstddef>
#include <string>
#include <vector>

class COrvixDoc;

inline constexpr int NODELIST_COLUMNS = 6;
inline constexpr size_t NODELIST_MAX_ROWS = 1024;

struct SNodeListColumn {
    const char* pszTitle; // UTF-8
    int nWidth;           // pixels
};
// "No.", "機種", "ｼﾘｱﾙNo.", "MACｱﾄﾞﾚｽ", "IPｱﾄﾞﾚｽ", "備考".
extern const std::array<SNodeListColumn, NODELIST_COLUMNS> NODELIST_COLUMN_TABLE;

class CNodeListModel {
public:
    // Rows from the document's current network, at most NODELIST_MAX_ROWS; no
    // network: no rows.
    void Rebuild(const COrvixDoc& doc);
    size_t GetRowCount() const { return m_vecRows.size(); }
    // The text of a cell as shown, UTF-8 (operator texts converted from CP932).
    const std::string& GetText(size_t nRow, int nColumn) const;
    // Sorts the rows by a column in its current direction, flips that
    // direction, and re-orders the current network's nodes to match the rows
    // (the document then asks the views to update).
    void SortByColumn(COrvixDoc& doc, int nColumn);
    bool IsAscending(int nColumn) const { return m_arrAscending[static_cast<size_t>(nColumn)]; }

private:
    std::vector<std::array<std::string, NODELIST_COLUMNS>> m_vecRows;
    std::array<bool, NODELIST_COLUMNS> m_arrAscending{true, true, true, true, true, true};
};
