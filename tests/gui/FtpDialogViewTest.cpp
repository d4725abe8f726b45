// The forms of the FTP dialogs on the generic view: the listing, the
// application choice, the information window and the version request.
#include "FormBinding.h"
#include "ModalScript.h"
#include "doc/AppInfoDlg.h"
#include "doc/FileInfoDlg.h"
#include "gui/DialogView.h"
#include "gui/QtUi.h"
#include "ops/GetVersionDlg.h"
#include "ops/InformationDlg.h"

#include <QCheckBox>
#include <QFontInfo>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <vector>

namespace {
const char LISTING[] =
    "-r--r--r--   1 root     root            717 Jan  1 00:00 param.dat\n"
    "-rwxr-xr-x   1 user     user             94 Jan  1 00:00 V1.02 TESTAPP.mot\n"
    "-rwxr-xr-x   1 user     user           2048 Jan  1 00:00 V3.01 OLDAPP.mot\n";
} // namespace

TEST(FileInfoDlgView, ShowsTheListingReadOnlyInAMinchoFont) {
    CFileInfoDlg model{std::string(LISTING)};
    CQtUi ui;
    CModalScript script;
    script.OnDialog("CFileInfoDlg", [&](QDialog& dlg) {
        EXPECT_EQ(dlg.windowTitle(), QString::fromUtf8("ファイル情報ダイアログ"));
        auto* pText = ControlWidget<QPlainTextEdit>(dlg, 1122);
        EXPECT_EQ(pText->toPlainText(), QString::fromUtf8(LISTING));
        EXPECT_TRUE(pText->isReadOnly());
        QTest::keyClicks(pText, "X");
        EXPECT_EQ(pText->toPlainText(), QString::fromUtf8(LISTING));
        // The Japanese serif font setup installs, not a stand-in.
        EXPECT_TRUE(QFontInfo(pText->font()).family().contains("Mincho"))
            << QFontInfo(pText->font()).family().toStdString();
        QTest::mouseClick(ControlWidget<QPushButton>(dlg, 1), Qt::LeftButton);
    });
    EXPECT_EQ(ui.DoModal(model), DIALOG_OK);
    EXPECT_TRUE(script.Done());
}

TEST(AppInfoDlgView, ChoosesNamesWithTheButtonsAndDoubleClicks) {
    CAppInfoDlg model("10.0.0.7", "admin", "pw", std::string(LISTING));
    CQtUi ui;
    CModalScript script;
    script.OnDialog("CAppInfoDlg", [&](QDialog& dlg) {
        EXPECT_EQ(dlg.windowTitle(), QString::fromUtf8("アプリケーション情報"));
        EXPECT_EQ(ControlWidget<QLabel>(dlg, 11067)->text(),
                  QString::fromUtf8("搭載アプリケーション"));
        EXPECT_EQ(ControlWidget<QLabel>(dlg, 11068)->text(), QString::fromUtf8("削除リスト"));
        auto* pInstalled = ControlWidget<QListWidget>(dlg, 1067);
        auto* pDelete = ControlWidget<QListWidget>(dlg, 1068);
        auto* pOk = ControlWidget<QPushButton>(dlg, 1);
        EXPECT_EQ(ListItemTexts(pInstalled),
                  (QStringList{"V1.02 TESTAPP.mot", "V3.01 OLDAPP.mot"}));
        EXPECT_FALSE(pOk->isEnabled());
        ClickListRow(pInstalled, 1);
        QTest::mouseClick(ControlWidget<QPushButton>(dlg, 1150), Qt::LeftButton);
        EXPECT_EQ(ListItemTexts(pDelete), QStringList{"OLDAPP.mot"});
        EXPECT_TRUE(pOk->isEnabled());
        DoubleClickListRow(pInstalled, 1); // no second copy
        DoubleClickListRow(pInstalled, 0);
        EXPECT_EQ(ListItemTexts(pDelete), (QStringList{"OLDAPP.mot", "TESTAPP.mot"}));
        DoubleClickListRow(pDelete, 0);
        ClickListRow(pDelete, 0);
        QTest::mouseClick(ControlWidget<QPushButton>(dlg, 1153), Qt::LeftButton);
        EXPECT_TRUE(ListItemTexts(pDelete).isEmpty());
        EXPECT_FALSE(pOk->isEnabled());
        QTest::mouseClick(ControlWidget<QPushButton>(dlg, 1159), Qt::LeftButton);
        EXPECT_EQ(ListItemTexts(pDelete), (QStringList{"TESTAPP.mot", "OLDAPP.mot"}));
        QTest::mouseClick(pOk, Qt::LeftButton);
    });
    EXPECT_EQ(ui.DoModal(model), DIALOG_OK);
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(model.GetSelectionText(), "TESTAPP.mot,OLDAPP.mot");
}

TEST(InformationDlgView, ShowsItsTextOnTwoLinesWithTheButtonHidden) {
    CInformationDlg model("ダウンロード中です\rしばらくお待ちください");
    model.Show(DIALOG_CANCEL, false);
    CQtUi ui;
    ui.OpenModeless(model);
    CDialogView* pView = ui.GetModelessView(model);
    ASSERT_NE(pView, nullptr);
    EXPECT_TRUE(pView->isVisible());
    EXPECT_EQ(pView->windowTitle(), QString::fromUtf8("インフォメーション"));
    EXPECT_EQ(ControlWidget<QLabel>(*pView, 10002)->text(),
              QString::fromUtf8("ダウンロード中です\nしばらくお待ちください"));
    EXPECT_FALSE(ControlWidget<QPushButton>(*pView, 2)->isVisible());
    EXPECT_TRUE(pView->GetUnboundControls().empty());
    ui.CloseModeless(model);
    EXPECT_EQ(ui.GetModelessView(model), nullptr);
}

TEST(GetVersionDlgView, BoxSelectsUnicastAndIsDisabledWithoutAnAddress) {
    CQtUi ui;
    {
        CGetVersionDlg model(true);
        CModalScript script;
        script.OnDialog("CGetVersionDlg", [&](QDialog& dlg) {
            EXPECT_EQ(dlg.windowTitle(), QString::fromUtf8("設定の取得"));
            EXPECT_EQ(ControlWidget<QLabel>(dlg, 11058)->text(),
                      QString::fromUtf8("選択されたﾉｰﾄﾞから設定を取得します"));
            auto* pBox = ControlWidget<QCheckBox>(dlg, 1058);
            EXPECT_TRUE(pBox->isEnabled());
            EXPECT_FALSE(pBox->isChecked());
            ClickBox(pBox);
            QTest::mouseClick(ControlWidget<QPushButton>(dlg, 1), Qt::LeftButton);
        });
        EXPECT_EQ(ui.DoModal(model), DIALOG_OK);
        EXPECT_TRUE(script.Done());
        EXPECT_EQ(model.GetUnicast(), 1);
    }
    {
        CGetVersionDlg model(false);
        CModalScript script;
        script.OnDialog("CGetVersionDlg", [&](QDialog& dlg) {
            auto* pBox = ControlWidget<QCheckBox>(dlg, 1058);
            EXPECT_FALSE(pBox->isEnabled());
            EXPECT_FALSE(pBox->isChecked());
            QTest::mouseClick(ControlWidget<QPushButton>(dlg, 2), Qt::LeftButton);
        });
        EXPECT_EQ(ui.DoModal(model), DIALOG_CANCEL);
        EXPECT_TRUE(script.Done());
        EXPECT_EQ(model.GetUnicast(), 0);
    }
}

// Each form has a widget of the right class for every control of its table,
// and no widget stands for a control the table does not know.
TEST(FtpDialogForms, EveryFormBindsEveryControlOfItsTable) {
    CQtUi ui;
    CFileInfoDlg fileInfo{std::string()};
    CAppInfoDlg appInfo("h", "u", "p", std::string());
    CInformationDlg information("x");
    CGetVersionDlg getVersion(true);
    for (CDialogModel* pModel :
         std::vector<CDialogModel*>{&fileInfo, &appInfo, &information, &getVersion}) {
        ExpectFormBindsItsTable(*pModel, ui);
    }
}
