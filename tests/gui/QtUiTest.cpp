#include "gui/QtUi.h"
#include "ModalScript.h"
#include "ui/DialogModel.h"

#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

#include <string>

namespace {
SFileChoice MotChoice() {
    return SFileChoice{
        "ﾀﾞｳﾝﾛｰﾄﾞﾌｧｲﾙ", ".mot", {{"MOT Files (*.mot)", "*.mot"}, {"All Files (*.*)", "*.*;*"}}};
}

// Takes the URLs the desktop would be asked to open.
class CUrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> m_listUrls;
public slots:
    void Open(const QUrl& url) { m_listUrls << url; }
};
} // namespace

TEST(QtUiFileChoice, AChooserStandsInForTheDialog) {
    CQtUi ui;
    SFileChoice seen;
    ui.SetFileChooser([&](const SFileChoice& choice, std::string& strPath) {
        seen = choice;
        strPath = "/data/app.mot";
        return true;
    });
    std::string strPath;
    EXPECT_TRUE(ui.ChooseFileToOpen(MotChoice(), strPath));
    EXPECT_EQ(strPath, "/data/app.mot");
    EXPECT_EQ(seen.strDefaultExt, ".mot");
    ASSERT_EQ(seen.vecFilters.size(), 2u);
    EXPECT_EQ(seen.vecFilters[1].strPatterns, "*.*;*");
}

TEST(QtUiFileChoice, TheDialogOffersTheTypesAndAddsTheDefaultExtension) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile file(dir.filePath("app.mot"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    CQtUi ui;
    CModalScript script;
    QString strTitle, strSuffix;
    QStringList listShown, listFilters;
    script.OnWindow<QFileDialog>([&](QFileDialog& dlg) {
        strTitle = dlg.windowTitle();
        strSuffix = dlg.defaultSuffix();
        listFilters = dlg.nameFilters();
        if (auto* pTypes = dlg.findChild<QComboBox*>("fileTypeCombo")) {
            for (int i = 0; i < pTypes->count(); ++i) {
                listShown << pTypes->itemText(i);
            }
        }
        dlg.setDirectory(dir.path());
        dlg.selectFile("app");               // typed without its extension
        static_cast<QDialog&>(dlg).accept(); // as the Open button does
    });
    std::string strPath;
    EXPECT_TRUE(ui.ChooseFileToOpen(MotChoice(), strPath));
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(QString::fromStdString(strPath), QDir(dir.path()).filePath("app.mot"));
    EXPECT_EQ(strTitle, QString::fromUtf8("ﾀﾞｳﾝﾛｰﾄﾞﾌｧｲﾙ"));
    EXPECT_EQ(strSuffix, "mot");
    EXPECT_EQ(listFilters, (QStringList{"MOT Files (*.mot) (*.mot)", "All Files (*.*) (*.* *)"}));
    EXPECT_EQ(listShown, (QStringList{"MOT Files (*.mot)", "All Files (*.*)"}));

    CModalScript cancel;
    cancel.OnWindow<QFileDialog>([](QFileDialog& dlg) { dlg.reject(); });
    strPath = "unchanged";
    EXPECT_FALSE(ui.ChooseFileToOpen(MotChoice(), strPath));
    EXPECT_TRUE(cancel.Done());
    EXPECT_EQ(strPath, "unchanged");
}

TEST(QtUiDesktop, OpensALocalFileByItsUrl) {
    CUrlCatcher catcher;
    QDesktopServices::setUrlHandler("file", &catcher, "Open");
    CQtUi ui;
    bool bOpened = ui.OpenWithDesktop("/opt/mrv manager/ヘルプ.pdf");
    QDesktopServices::unsetUrlHandler("file");
    EXPECT_TRUE(bOpened);
    ASSERT_EQ(catcher.m_listUrls.size(), 1);
    EXPECT_EQ(catcher.m_listUrls[0].scheme(), "file");
    EXPECT_EQ(catcher.m_listUrls[0].toLocalFile(),
              QString::fromUtf8("/opt/mrv manager/ヘルプ.pdf"));
}

TEST(QtUiModeless, AWindowWithoutAFormIsReportedLoudly) {
    struct CProbeDlg : CDialogModel {
        const char* GetDialogName() const override { return "CProgressProbe"; }
        SDialogAction OnCommand(CUi&, int) override { return {}; }
    } dlg;
    CQtUi ui;
    CModalScript script;
    QString strText;
    script.AcknowledgeMessage(&strText);
    ::testing::internal::CaptureStderr();
    ui.OpenModeless(dlg);
    std::string strStderr = ::testing::internal::GetCapturedStderr();
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(strText, QString::fromUtf8("内部エラー: 画面 CProgressProbe がありません"));
    EXPECT_NE(strStderr.find("CProgressProbe"), std::string::npos);
    EXPECT_EQ(ui.GetModelessView(dlg), nullptr);
    ui.RefreshModeless(dlg); // nothing to refresh, nothing to close
    ui.CloseModeless(dlg);
}

#include "QtUiTest.moc"

// A box is never narrower than its caption: the caption in a bold title
// font, with room for the window's icon and close box beside it.
TEST(QtUiMessageBox, IsAtLeastAsWideAsItsCaption) {
    CQtUi ui;
    QFont font = QApplication::font();
    font.setBold(true);
    for (const char* pszCaption : {"MRV設定ﾏﾈｰｼﾞｬ", "MRV-620 リモートセットアップのﾊﾞｰｼﾞｮﾝ情報"}) {
        int nWidth = 0;
        CModalScript script;
        script.OnMessageBox([&](QMessageBox& box) {
            nWidth = box.width();
            box.button(QMessageBox::Ok)->click();
        });
        ui.MessageBox("OK", EMsgButtons::Ok, EMsgIcon::None, pszCaption);
        EXPECT_TRUE(script.Done());
        int nCaption = QFontMetrics(font).horizontalAdvance(QString::fromUtf8(pszCaption));
        EXPECT_GE(nWidth, nCaption + 64) << pszCaption;
    }
}
