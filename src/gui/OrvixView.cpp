#include "gui/OrvixView.h"

#include "app/CommandTable.h"
#include "doc/OrvixDoc.h"
#include "platform/Cp932.h"
#include "res/Texts.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

void CNodeListItemModel::Rebuild(const COrvixDoc& doc) {
    beginResetModel();
    m_list.Rebuild(doc);
    endResetModel();
}

int CNodeListItemModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_list.GetRowCount());
}

int CNodeListItemModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : NODELIST_COLUMNS;
}

QVariant CNodeListItemModel::data(const QModelIndex& index, int nRole) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    if (nRole == Qt::DisplayRole) {
        return QString::fromStdString(
            m_list.GetText(static_cast<size_t>(index.row()), index.column()));
    }
    if (nRole == Qt::TextAlignmentRole) {
        return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    }
    if (nRole == Qt::ToolTipRole) {
        const std::string& strTip = m_list.GetToolTip(static_cast<size_t>(index.row()));
        if (!strTip.empty()) {
            return QString::fromStdString(strTip);
        }
    }
    return {};
}

bool CNodeListItemModel::IsSilentRow(int nRow) const {
    return nRow >= 0 && m_list.IsSilent(static_cast<size_t>(nRow));
}

QVariant CNodeListItemModel::headerData(int nSection, Qt::Orientation orientation,
                                        int nRole) const {
    if (orientation != Qt::Horizontal || nSection < 0 || nSection >= NODELIST_COLUMNS) {
        return {};
    }
    if (nRole == Qt::DisplayRole) {
        return QString::fromUtf8(NODELIST_COLUMN_TABLE[static_cast<size_t>(nSection)].pszTitle);
    }
    if (nRole == Qt::TextAlignmentRole) {
        return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    }
    return {};
}

COrvixView::COrvixView(QWidget* pParent)
    : QTreeView(pParent), m_pModel(new CNodeListItemModel(this)) {
    setObjectName("NodeList");
    setModel(m_pModel);
    // A report: no tree, one line per row, every column of a row selected together.
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setIndentation(0);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTextElideMode(Qt::ElideRight);
    setWordWrap(false);
    QHeaderView* pHeader = header();
    pHeader->setStretchLastSection(false);
    pHeader->setSectionsMovable(false);
    pHeader->setSectionsClickable(true);
    pHeader->setSortIndicatorShown(false);
    pHeader->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    for (int i = 0; i < NODELIST_COLUMNS; ++i) {
        pHeader->resizeSection(i, NODELIST_COLUMN_TABLE[static_cast<size_t>(i)].nWidth);
    }
    connect(pHeader, &QHeaderView::sectionClicked, this,
            [this](int nSection) { SortByColumn(nSection); });
    connect(pHeader, &QHeaderView::sectionResized, this, [this] {
        if (!m_bFitting) {
            m_bUserSized = true;
        }
    });
    // The range follows the rows and the height left for them.
    connect(verticalScrollBar(), &QScrollBar::rangeChanged, this, [this] { FitColumns(); });
    m_strTitle = TXT_NO_NETWORK_TITLE;
}

void COrvixView::OnUpdate() {
    ++m_nRebuilds;
    if (m_pDoc == nullptr || m_pDoc->m_pCurNet == nullptr) {
        m_strTitle = TXT_NO_NETWORK_TITLE;
    } else {
        m_strTitle = Cp932ToUtf8Lossy(m_pDoc->m_pCurNet->m_strName);
    }
    if (m_pDoc == nullptr) {
        return;
    }
    // The selected node stays selected, found again by its MAC.
    std::string strMac;
    int nSelected = GetSelectedIndex();
    if (nSelected >= 0) {
        strMac = m_pModel->GetListModel().GetText(static_cast<size_t>(nSelected), NODELIST_COL_MAC);
    }
    m_pModel->Rebuild(*m_pDoc);
    if (strMac.empty()) {
        return;
    }
    const CNodeListModel& list = m_pModel->GetListModel();
    for (size_t nRow = 0; nRow < list.GetRowCount(); ++nRow) {
        if (list.GetText(nRow, NODELIST_COL_MAC) == strMac) {
            selectionModel()->setCurrentIndex(m_pModel->index(static_cast<int>(nRow), 0),
                                              QItemSelectionModel::ClearAndSelect |
                                                  QItemSelectionModel::Rows);
            break;
        }
    }
}

void COrvixView::resizeEvent(QResizeEvent* pEvent) {
    QTreeView::resizeEvent(pEvent);
    FitColumns();
}

void COrvixView::FitColumns() {
    if (m_bUserSized || m_bFitting) {
        return;
    }
    int nFull = 0;
    for (const SNodeListColumn& column : NODELIST_COLUMN_TABLE) {
        nFull += column.nWidth;
    }
    // At most the bar's own width: a window too narrow for the columns
    // without the bar keeps their widths and scrolls.
    int nCut = 0;
    QScrollBar* pBar = verticalScrollBar();
    if (pBar->maximum() > pBar->minimum() && verticalScrollBarPolicy() != Qt::ScrollBarAlwaysOff) {
        nCut = std::clamp(nFull - viewport()->width(), 0, pBar->sizeHint().width());
    }
    int nRemarks = NODELIST_COLUMN_TABLE[NODELIST_COL_REMARKS].nWidth - nCut;
    if (header()->sectionSize(NODELIST_COL_REMARKS) != nRemarks) {
        m_bFitting = true;
        header()->resizeSection(NODELIST_COL_REMARKS, nRemarks);
        m_bFitting = false;
    }
}

int COrvixView::GetSelectedIndex() const {
    if (selectionModel() == nullptr) {
        return -1;
    }
    QModelIndexList listRows = selectionModel()->selectedRows();
    if (listRows.isEmpty()) {
        return -1;
    }
    int nFirst = listRows.front().row();
    for (const QModelIndex& index : listRows) {
        nFirst = std::min(nFirst, index.row());
    }
    return nFirst;
}

QString COrvixView::GetCellText(int nRow, int nColumn) const {
    return m_pModel->data(m_pModel->index(nRow, nColumn)).toString();
}

void COrvixView::SortByColumn(int nColumn) {
    if (m_pDoc == nullptr || nColumn < 0 || nColumn >= NODELIST_COLUMNS) {
        return;
    }
    // The model re-orders the network's nodes in one change, whose update
    // rebuilds the list once.
    m_pModel->GetListModel().SortByColumn(*m_pDoc, nColumn);
}

QString COrvixView::FitCellText(const QFontMetrics& fm, const QString& strText, int nWidth) {
    if (fm.horizontalAdvance(strText) <= nWidth) {
        return strText;
    }
    static const QString s_strDots = QStringLiteral("...");
    // The longest start of the text that leaves room for the dots.
    int nLow = 0;
    int nHigh = static_cast<int>(strText.size());
    while (nLow < nHigh) {
        int nMid = (nLow + nHigh + 1) / 2;
        if (fm.horizontalAdvance(strText.left(nMid) + s_strDots) <= nWidth) {
            nLow = nMid;
        } else {
            nHigh = nMid - 1;
        }
    }
    // Never half of a surrogate pair.
    if (nLow > 0 && strText.at(nLow - 1).isHighSurrogate()) {
        --nLow;
    }
    return strText.left(nLow) + s_strDots;
}

void COrvixView::drawRow(QPainter* pPainter, const QStyleOptionViewItem& option,
                         const QModelIndex& index) const {
    // Across the whole width, also right of the last column.
    QRect rcRow(0, option.rect.top(), viewport()->width(), option.rect.height());
    bool bSelected = selectionModel() != nullptr && selectionModel()->isRowSelected(index.row());
    const QPalette& pal = palette();
    pPainter->save();
    pPainter->fillRect(
        rcRow, pal.color(QPalette::Active, bSelected ? QPalette::Highlight : QPalette::Base));
    pPainter->setPen(
        pal.color(QPalette::Active, bSelected ? QPalette::HighlightedText : QPalette::Text));
    pPainter->setFont(option.font);
    const QFontMetrics& fm = option.fontMetrics;
    const QHeaderView* pHeader = header();
    // A node that did not answer the last search: its "No." cell marked, the
    // number over the mark in the plain text colour, where and as whole as
    // on any other row.
    bool bSilent = m_pModel->IsSilentRow(index.row());
    if (bSilent) {
        QRect rcMark(pHeader->sectionViewportPosition(NODELIST_COL_NUMBER), rcRow.top(),
                     pHeader->sectionSize(NODELIST_COL_NUMBER), rcRow.height());
        rcMark.adjust(1, 1, -2, -2);
        pPainter->save();
        pPainter->setPen(SilentMarkBorder());
        pPainter->setBrush(SilentMarkFill());
        pPainter->drawRect(rcMark);
        pPainter->restore();
    }
    for (int nColumn = 0; nColumn < NODELIST_COLUMNS; ++nColumn) {
        int nMargin = CellMargin(nColumn);
        QRect rcText(pHeader->sectionViewportPosition(nColumn) + nMargin, rcRow.top(),
                     pHeader->sectionSize(nColumn) - 2 * nMargin, rcRow.height());
        if (rcText.width() <= 0 || rcText.right() < 0 || rcText.left() > rcRow.right()) {
            continue;
        }
        QString strText = m_pModel->data(m_pModel->index(index.row(), nColumn)).toString();
        pPainter->save();
        if (bSilent && nColumn == NODELIST_COL_NUMBER) {
            pPainter->setPen(pal.color(QPalette::Active, QPalette::Text));
        }
        pPainter->drawText(rcText, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                           FitCellText(fm, strText, rcText.width()));
        pPainter->restore();
    }
    if (hasFocus() && currentIndex().isValid() && currentIndex().row() == index.row()) {
        QPen pen(pPainter->pen().color());
        pen.setStyle(Qt::DotLine);
        pPainter->setPen(pen);
        pPainter->setBrush(Qt::NoBrush);
        pPainter->drawRect(rcRow.adjusted(0, 0, -1, -1));
    }
    pPainter->restore();
}

const QColor& COrvixView::SilentMarkFill() {
    static const QColor s_colour(0xFF, 0xD8, 0x9C);
    return s_colour;
}

const QColor& COrvixView::SilentMarkBorder() {
    static const QColor s_colour(0xE0, 0x80, 0x00);
    return s_colour;
}

void COrvixView::mousePressEvent(QMouseEvent* pEvent) {
    // A click below the rows takes the selection away, as the platform's list does.
    if (!indexAt(pEvent->position().toPoint()).isValid()) {
        clearSelection();
    }
    QTreeView::mousePressEvent(pEvent);
}

void COrvixView::mouseDoubleClickEvent(QMouseEvent* pEvent) {
    QTreeView::mouseDoubleClickEvent(pEvent);
    if (pEvent->button() == Qt::LeftButton && GetSelectedIndex() >= 0) {
        RunCommand(ID_NODE_GET);
    }
}

void COrvixView::keyPressEvent(QKeyEvent* pEvent) {
    if (pEvent->key() == Qt::Key_Delete && pEvent->modifiers() == Qt::NoModifier) {
        if (GetSelectedIndex() >= 0) {
            RunCommand(ID_NODE_DELETE);
        }
        pEvent->accept();
        return;
    }
    QTreeView::keyPressEvent(pEvent);
}

void COrvixView::contextMenuEvent(QContextMenuEvent* pEvent) {
    if (m_fnContextMenu) {
        m_fnContextMenu(pEvent->globalPos());
    }
    pEvent->accept();
}

void COrvixView::RunCommand(int nId) {
    if (m_fnCommand) {
        m_fnCommand(nId);
    }
}
