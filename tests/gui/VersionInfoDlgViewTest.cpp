#include "ModalScript.h"
#include "doc/VersionInfoDlg.h"
#include "gui/DialogView.h"
#include "gui/MainFrame.h"
#include "gui/QtUi.h"

#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {
// A version reply: board "MRV620ｱ" (the kana as its CP932 byte), kernel 1.05,
// boot 2.10, and two applications.
std::vector<uint8_t> VersionReply() {
    std::vector<uint8_t> vec(232, 0);
    const uint8_t abHead[] = {0x76, 0x01, 0x02, 0x08, 0x00, 0x80, 0xC8,
                              0x01, 0x02, 0x03, 0x95, 0x00, 0x00};
    std::memcpy(vec.data(), abHead, sizeof abHead);
    std::memcpy(&vec[14], "MRV620\xB1", 7);
    vec[28] = 1;
    vec[29] = 5;
    vec[30] = 2;
    vec[31] = 10;
    std::memcpy(&vec[32], "TESTAPP", 7);
    vec[46] = 1;
    vec[47] = 2;
    vec[48] = 0x01; // 256 sectors, big-endian
    vec[49] = 0x00;
    vec[50] = 0x34; // 0x1234, low byte first
    vec[51] = 0x12;
    std::memcpy(&vec[52], "APP2", 4);
    vec[66] = 3;
    vec[67] = 0;
    vec[69] = 12;
    return vec;
}
} // namespace

TEST(VersionInfoDlgView, ShowsTheReplyReadOnlyAndOkCloses) {
    std::vector<uint8_t> vecReply = VersionReply();
    CVersionInfoDlg model(vecReply.data(), vecReply.size());
    CQtUi ui;
    CModalScript script;
    script.OnDialog("CVersionInfoDlg", [&](QDialog& dlg) {
        EXPECT_EQ(dlg.windowTitle(), QString::fromUtf8("バージョン情報"));
        EXPECT_EQ(ControlWidget<QLabel>(dlg, 11123)->text(), QString::fromUtf8("ボードID："));
        EXPECT_EQ(ControlWidget<QLabel>(dlg, 11126)->text(),
                  QString::fromUtf8("アプリケーション名"));
        EXPECT_EQ(ControlWidget<QLineEdit>(dlg, 1123)->text(), QString::fromUtf8("MRV620ｱ"));
        EXPECT_EQ(ControlWidget<QLineEdit>(dlg, 1124)->text(), "1.05");
        EXPECT_EQ(ControlWidget<QLineEdit>(dlg, 1125)->text(), "2.10");
        EXPECT_EQ(ControlWidget<QLineEdit>(dlg, 1126)->text(), "TESTAPP");
        EXPECT_EQ(ControlWidget<QLineEdit>(dlg, 1127)->text(), "1.02");
        EXPECT_EQ(ControlWidget<QLineEdit>(dlg, 1128)->text(), "256");
        EXPECT_EQ(ControlWidget<QLineEdit>(dlg, 1130)->text(), "APP2");
        EXPECT_EQ(ControlWidget<QLineEdit>(dlg, 1131)->text(), "3.00");
        EXPECT_EQ(ControlWidget<QLineEdit>(dlg, 1132)->text(), "12");
        EXPECT_EQ(ControlWidget<QLineEdit>(dlg, 1134)->text(), ""); // third row empty
        auto* pHidden = ControlWidget<QLineEdit>(dlg, 1208);
        EXPECT_EQ(pHidden->text(), "1234");
        EXPECT_FALSE(pHidden->isVisible());
        EXPECT_FALSE(ControlWidget<QLabel>(dlg, 11208)->isVisible());
        auto* pBoard = ControlWidget<QLineEdit>(dlg, 1123);
        EXPECT_TRUE(pBoard->isReadOnly());
        QTest::keyClicks(pBoard, "X");
        EXPECT_EQ(pBoard->text(), QString::fromUtf8("MRV620ｱ"));
        QTest::mouseClick(ControlWidget<QPushButton>(dlg, 1), Qt::LeftButton);
    });
    EXPECT_EQ(ui.DoModal(model), DIALOG_OK);
    EXPECT_TRUE(script.Done());
}

TEST(VersionInfoDlgView, EnterClosesWithOk) {
    std::vector<uint8_t> vecReply = VersionReply();
    CVersionInfoDlg model(vecReply.data(), vecReply.size());
    CQtUi ui;
    CModalScript script;
    script.OnDialog("CVersionInfoDlg", [&](QDialog& dlg) {
        QTest::keyClick(ControlWidget<QLineEdit>(dlg, 1124), Qt::Key_Return);
    });
    EXPECT_EQ(ui.DoModal(model), DIALOG_OK);
    EXPECT_TRUE(script.Done());
}

// A modeless window on a model the caller owns: shown at once, brought in line
// on refresh, taking input while the main window is disabled, gone on close.
TEST(ModelessView, OpensRefreshesAndCloses) {
    std::vector<uint8_t> vecReply = VersionReply();
    CVersionInfoDlg model(vecReply.data(), vecReply.size());
    CMainFrame frame;
    frame.show();
    CQtUi ui(&frame);
    ui.OpenModeless(model);
    CDialogView* pView = ui.GetModelessView(model);
    ASSERT_NE(pView, nullptr);
    EXPECT_TRUE(pView->isVisible());
    EXPECT_FALSE(pView->isModal());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    QPointer<QLineEdit> pBoard = ControlWidget<QLineEdit>(*pView, 1123);
    ASSERT_NE(pBoard, nullptr);

    ui.EnableMainWindow(false);
    EXPECT_TRUE(pView->isEnabled());
    model.SetText(IDC_VER_BOARD_ID, "NEW-ID");
    model.Enable(DIALOG_OK, false);
    EXPECT_EQ(pBoard->text(), QString::fromUtf8("MRV620ｱ")); // not before the refresh
    ui.RefreshModeless(model);
    EXPECT_EQ(pBoard->text(), "NEW-ID");
    EXPECT_FALSE(ControlWidget<QPushButton>(*pView, 1)->isEnabled());
    ui.EnableMainWindow(true);

    ui.CloseModeless(model);
    EXPECT_EQ(ui.GetModelessView(model), nullptr);
    EXPECT_TRUE(pBoard.isNull());
    ui.CloseModeless(model); // a second close is harmless
}

// A window whose own button ends it: the view outlives the handler it runs.
TEST(ModelessView, ClosedFromItsOwnHandler) {
    struct CSelfClosing : CVersionInfoDlg {
        using CVersionInfoDlg::CVersionInfoDlg;
        SDialogAction OnCommand(CUi& ui, int nId) override {
            if (nId == DIALOG_OK) {
                ui.CloseModeless(*this);
                ++m_nClosed;
            }
            return SDialogAction::StayOpen();
        }
        int m_nClosed = 0;
    };
    std::vector<uint8_t> vecReply = VersionReply();
    CSelfClosing model(vecReply.data(), vecReply.size());
    CQtUi ui;
    ui.OpenModeless(model);
    QPointer<CDialogView> pView = ui.GetModelessView(model);
    ASSERT_FALSE(pView.isNull());
    QTest::mouseClick(ControlWidget<QPushButton>(*pView, 1), Qt::LeftButton);
    EXPECT_EQ(model.m_nClosed, 1);
    EXPECT_EQ(ui.GetModelessView(model), nullptr);
    ASSERT_FALSE(pView.isNull());
    EXPECT_FALSE(pView->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(pView.isNull());
}
