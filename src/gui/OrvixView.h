#pragma once
#include "app/NodeListModel.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QTreeView>

#include <functional>
#include <string>

class COrvixDoc;
class QFontMetrics;

// The node list's rows as Qt sees them: a read-only table over CNodeListModel.
class CNodeListItemModel : public QAbstractTableModel {
public:
    explicit CNodeListItemModel(QObject* pParent = nullptr) : QAbstractTableModel(pParent) {}

    // One reset of the whole table, rows from the document.
    void Rebuild(const COrvixDoc& doc);
    const CNodeListModel& GetListModel() const { return m_list; }
    CNodeListModel& GetListModel() { return m_list; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int nRole = Qt::DisplayRole) const override;
    // The row of a node that did not answer the last broadcast search.
    bool IsSilentRow(int nRow) const;
    QVariant headerData(int nSection, Qt::Orientation orientation,
                        int nRole = Qt::DisplayRole) const override;

private:
    CNodeListModel m_list;
};

// The only view of the main window: the nodes of the current network in six
// columns, one row per node, full-row single selection. Each row is drawn by
// the view across the whole width; a header click sorts the network's nodes.
class COrvixView : public QTreeView {
public:
    // Runs a menu command (double-click, Delete key).
    using CommandSink = std::function<void(int nId)>;
    // Opens the context menu at a global position.
    using ContextMenuSink = std::function<void(const QPoint& ptGlobal)>;

    explicit COrvixView(QWidget* pParent = nullptr);

    void SetDocument(COrvixDoc* pDoc) { m_pDoc = pDoc; }
    void SetCommandSink(CommandSink fn) { m_fnCommand = std::move(fn); }
    void SetContextMenuSink(ContextMenuSink fn) { m_fnContextMenu = std::move(fn); }

    // Every registry change: the rows and the title rebuilt from the document.
    void OnUpdate();
    // "ﾈｯﾄﾜｰｸ未選択" or the current network's name; UTF-8.
    const std::string& GetTitle() const { return m_strTitle; }
    // The first selected row, -1 when none.
    int GetSelectedIndex() const;
    int GetRowCount() const { return m_pModel->rowCount(); }
    QString GetCellText(int nRow, int nColumn) const;
    // A header click: sorts the network's nodes by that column.
    void SortByColumn(int nColumn);
    // How many times the rows were rebuilt (one per update).
    int GetRebuildCount() const { return m_nRebuilds; }

    // A cell's text as drawn in nWidth pixels: cut to end in "..." when too long.
    static QString FitCellText(const QFontMetrics& fm, const QString& strText, int nWidth);
    // Space left of and right of a column's text.
    static int CellMargin(int nColumn) { return nColumn == 0 ? 2 : 6; }
    // The mark of a silent row: its "No." cell in these colours, the number
    // over it as on any other row.
    static const QColor& SilentMarkFill();
    static const QColor& SilentMarkBorder();

protected:
    void drawRow(QPainter* pPainter, const QStyleOptionViewItem& option,
                 const QModelIndex& index) const override;
    void mousePressEvent(QMouseEvent* pEvent) override;
    void mouseDoubleClickEvent(QMouseEvent* pEvent) override;
    void keyPressEvent(QKeyEvent* pEvent) override;
    void contextMenuEvent(QContextMenuEvent* pEvent) override;
    void resizeEvent(QResizeEvent* pEvent) override;

private:
    void RunCommand(int nId);
    // The columns at their own widths, the remarks column narrowed while the
    // vertical scroll bar would push the last pixels out of view.
    void FitColumns();

    COrvixDoc* m_pDoc = nullptr;
    CNodeListItemModel* m_pModel;
    CommandSink m_fnCommand;
    ContextMenuSink m_fnContextMenu;
    std::string m_strTitle;
    int m_nRebuilds = 0;
    bool m_bFitting = false;   // the view itself sizes the columns
    bool m_bUserSized = false; // the operator sized a column: widths are his
};
