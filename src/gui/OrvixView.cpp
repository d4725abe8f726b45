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
    m_strTitle = TXT_NO_NETWORK_TITLE;
}

void COrvixView::OnUpdate() {
    ++m_nRebuilds;
    if (m_pDoc == nullptr || m_pDoc->m_pCurNet == nullptr) {
        m_strTitle = TXT_NO_NETWORK_TITLE;
    } else {
        m_strTitle = Cp932ToUtf8Lossy(m_pDoc->m_pCurNet->m_strName);
    }
    if (m_pDoc != nullptr) {
        m_pModel->Rebuild(*m_pDoc);
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
    // A node that did not answer the last search: the state image at the
    // start of the row, the first column's text after it.
    int nStateWidth = 0;
    if (m_pModel->IsSilentRow(index.row())) {
        nStateWidth = STATE_IMAGE_SIZE;
        QRect rcImage = StateImageRect(index.row());
        pPainter->drawPixmap(rcImage.topLeft(), SilentStateImage());
    }
    for (int nColumn = 0; nColumn < NODELIST_COLUMNS; ++nColumn) {
        int nMargin = CellMargin(nColumn);
        int nShift = nColumn == 0 ? nStateWidth : 0;
        QRect rcText(pHeader->sectionViewportPosition(nColumn) + nMargin + nShift, rcRow.top(),
                     pHeader->sectionSize(nColumn) - 2 * nMargin - nShift, rcRow.height());
        if (rcText.width() <= 0 || rcText.right() < 0 || rcText.left() > rcRow.right()) {
            continue;
        }
        QString strText = m_pModel->data(m_pModel->index(index.row(), nColumn)).toString();
        pPainter->drawText(rcText, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                           FitCellText(fm, strText, rcText.width()));
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

QRect COrvixView::StateImageRect(int nRow) const {
    QRect rcItem = visualRect(m_pModel->index(nRow, 0));
    int nLeft = header()->sectionViewportPosition(0);
    return {nLeft, rcItem.top() + (rcItem.height() - STATE_IMAGE_SIZE) / 2, STATE_IMAGE_SIZE,
            STATE_IMAGE_SIZE};
}

const QPixmap& COrvixView::SilentStateImage() {
    // Drawn once: an amber disc with a white bar, "no answer".
    static const QPixmap s_pixmap = [] {
        QPixmap pixmap(STATE_IMAGE_SIZE, STATE_IMAGE_SIZE);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(QColor(0x80, 0x40, 0x00), 1));
        painter.setBrush(QColor(0xE0, 0x80, 0x00));
        painter.drawEllipse(QRectF(0.5, 0.5, STATE_IMAGE_SIZE - 1.0, STATE_IMAGE_SIZE - 1.0));
        painter.fillRect(QRect(4, 7, 8, 2), Qt::white);
        return pixmap;
    }();
    return s_pixmap;
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
