#include "gui/PlacedMessageBox.h"

#include <QApplication>
#include <QGridLayout>
#include <QScreen>
#include <QSpacerItem>

#include <utility>

namespace {
// Between the box and the windows it keeps clear of.
constexpr int CLEAR_GAP = 8;
} // namespace

CPlacedMessageBox::CPlacedMessageBox(Icon icon, const QString& strCaption, const QString& strText,
                                     QWidget* pParent, std::vector<QRect> vecKeepClear)
    : QMessageBox(icon, strCaption, strText, QMessageBox::NoButton, pParent),
      m_vecKeepClear(std::move(vecKeepClear)) {
    // The box sizes itself to its layout: a row of its own holds it open to
    // the caption's width.
    if (auto* pGrid = qobject_cast<QGridLayout*>(layout())) {
        pGrid->addItem(new QSpacerItem(CaptionWidth(strCaption), 0, QSizePolicy::Minimum,
                                       QSizePolicy::Minimum),
                       pGrid->rowCount(), 0, 1, pGrid->columnCount());
    }
}

int CPlacedMessageBox::CaptionWidth(const QString& strCaption) {
    // Window managers draw titles in a font of their own, often bold and
    // larger; the title bar's height is the measure of its icon and buttons.
    QFont font = QApplication::font();
    font.setBold(true);
    QFontMetrics fm(font);
    int nBar = fm.height() + 12;
    return fm.horizontalAdvance(strCaption) + 3 * nBar;
}

QPoint CPlacedMessageBox::ClearPosition(const QRect& rcClear, const QSize& sizeFrame,
                                        const QRect& rcScreen, const QPoint& ptNow) {
    auto Clamp = [](int n, int nLow, int nHigh) { return std::max(nLow, std::min(n, nHigh)); };
    int nX = Clamp(rcClear.center().x() - sizeFrame.width() / 2, rcScreen.left(),
                   rcScreen.right() + 1 - sizeFrame.width());
    int nY = Clamp(rcClear.top(), rcScreen.top(), rcScreen.bottom() + 1 - sizeFrame.height());
    const QPoint arrCandidates[] = {
        {nX, rcClear.bottom() + 1 + CLEAR_GAP},               // below
        {rcClear.right() + 1 + CLEAR_GAP, nY},                // right
        {rcClear.left() - CLEAR_GAP - sizeFrame.width(), nY}, // left
        {nX, rcClear.top() - CLEAR_GAP - sizeFrame.height()}, // above
    };
    for (const QPoint& pt : arrCandidates) {
        QRect rc(pt, sizeFrame);
        if (rcScreen.contains(rc) && !rc.intersects(rcClear)) {
            return pt;
        }
    }
    return ptNow;
}

void CPlacedMessageBox::showEvent(QShowEvent* pEvent) {
    // The box has its final size now, and is not on the screen yet.
    QMessageBox::showEvent(pEvent);
    QRect rcClear;
    QMargins margins;
    for (const QRect& rc : m_vecKeepClear) {
        rcClear = rcClear.united(rc);
    }
    if (rcClear.isEmpty()) {
        return;
    }
    // A box not yet mapped has no frame: take the frame of its parent's window.
    if (QWidget* pWindow = parentWidget() != nullptr ? parentWidget()->window() : nullptr) {
        QRect rcFrame = pWindow->frameGeometry();
        QRect rcInner = pWindow->geometry();
        margins = QMargins(rcInner.left() - rcFrame.left(), rcInner.top() - rcFrame.top(),
                           rcFrame.right() - rcInner.right(), rcFrame.bottom() - rcInner.bottom());
    }
    QSize sizeFrame = size().grownBy(margins);
    QPoint ptNow = pos();
    if (!QRect(ptNow, sizeFrame).intersects(rcClear)) {
        return;
    }
    QScreen* pScreen = screen();
    QRect rcScreen = pScreen != nullptr ? pScreen->availableGeometry() : QRect();
    move(ClearPosition(rcClear, sizeFrame, rcScreen, ptNow));
}
