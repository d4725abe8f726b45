#pragma once
#include <QMessageBox>
#include <QRect>

#include <vector>

// A message box that shows its whole caption and keeps clear of the windows
// it is told about (an open progress window whose rows it talks about): it
// goes below them, else beside them, else above them, on the same screen.
class CPlacedMessageBox : public QMessageBox {
public:
    CPlacedMessageBox(Icon icon, const QString& strCaption, const QString& strText,
                      QWidget* pParent, std::vector<QRect> vecKeepClear);

    // The narrowest box whose title bar shows strCaption whole: the caption in
    // a bold title font, with room for the window's icon and close box.
    static int CaptionWidth(const QString& strCaption);
    // Where a window of frame size sizeFrame goes so that it stays clear of
    // rcClear and inside rcScreen; its top-left corner. ptNow when no place fits.
    static QPoint ClearPosition(const QRect& rcClear, const QSize& sizeFrame, const QRect& rcScreen,
                                const QPoint& ptNow);

protected:
    void showEvent(QShowEvent* pEvent) override;

private:
    std::vector<QRect> m_vecKeepClear; // frame geometries
};
