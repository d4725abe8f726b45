#pragma once
// The node list of the main window without its widget: one row per node of the
// current network, six columns of text, sorting by a column, and the network's
// nodes re-ordered to the rows so that the data file keeps the order.
#include "app/CommandTable.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class COrvixDoc;

inline constexpr int NODELIST_COLUMNS = 6;
inline constexpr size_t NODELIST_MAX_ROWS = 1024;

// Column indices.
inline constexpr int NODELIST_COL_NUMBER = 0;
inline constexpr int NODELIST_COL_MODEL = 1;
inline constexpr int NODELIST_COL_SERIAL = 2;
inline constexpr int NODELIST_COL_MAC = 3;
inline constexpr int NODELIST_COL_IP = 4;
inline constexpr int NODELIST_COL_REMARKS = 5;

// What a sort reads back from a row: room for this many bytes (a text is
// cut there, never inside a double-byte character).
inline constexpr size_t NODELIST_READ_ADDRESS = 19; // IP and MAC
inline constexpr size_t NODELIST_READ_TEXT = 511;   // serial number and remarks

struct SNodeListColumn {
    const char* pszTitle; // UTF-8
    int nWidth;           // pixels
};
// "No.", "機種", "ｼﾘｱﾙNo.", "MACｱﾄﾞﾚｽ", "IPｱﾄﾞﾚｽ", "備考".
extern const std::array<SNodeListColumn, NODELIST_COLUMNS> NODELIST_COLUMN_TABLE;

class CNodeListModel {
public:
    // Rows from the document's current network, at most NODELIST_MAX_ROWS; no
    // network: no rows. Also the title.
    void Rebuild(const COrvixDoc& doc);
    size_t GetRowCount() const { return m_vecRows.size(); }
    // The text of a cell as shown, UTF-8 (operator texts converted from CP932).
    const std::string& GetText(size_t nRow, int nColumn) const;
    // A registered node that did not answer the last broadcast search: its
    // row carries a state image and this tooltip (UTF-8).
    bool IsSilent(size_t nRow) const { return !GetToolTip(nRow).empty(); }
    // Empty for a row without a mark.
    const std::string& GetToolTip(size_t nRow) const;
    // The current network's name (UTF-8), or "ﾈｯﾄﾜｰｸ未選択" without one.
    const std::string& GetTitle() const { return m_strTitle; }
    // Sorts the rows by a column in its current direction, flips that
    // direction, and re-orders the current network's nodes to match the rows
    // (the document then asks the views to update). Equal keys keep their
    // order. The rows sorted are the current network's nodes as the list
    // shows them after every update, read from the document, so a list not
    // yet rebuilt cannot lose nodes; afterwards the rows are rebuilt in the
    // new order, numbered from 1.
    void SortByColumn(COrvixDoc& doc, int nColumn);
    bool IsAscending(int nColumn) const { return m_arrAscending[static_cast<size_t>(nColumn)]; }

    // What the commands' enable rules look at: a current network, the rows,
    // and the node of row nSelected (-1: none).
    SCommandState GetCommandState(const COrvixDoc& doc, int nSelected) const;

private:
    std::vector<std::array<std::string, NODELIST_COLUMNS>> m_vecRows; // as shown, UTF-8
    std::vector<std::string> m_vecToolTips;                           // per row; empty: no mark
    std::string m_strTitle;
    std::array<bool, NODELIST_COLUMNS> m_arrAscending{true, true, true, true, true, true};
    unsigned m_nRebuilds = 0; // tells whether the document's update rebuilt the rows
};
