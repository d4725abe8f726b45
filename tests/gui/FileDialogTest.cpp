// The download's file dialog as an operator meets it: Qt's own texts in
// Japanese, the type list of the download, and the folder of the last
// download, kept in the per-user settings.
#include "ModalScript.h"
#include "gui/QtUi.h"
#include "gui/RecentFiles.h"
#include "gui/ToolkitTranslation.h"
#include "ops/NodeDownload.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {
void Touch(const QString& strPath) {
    QFile file(strPath);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
}

struct SSeen {
    QString strDir, strLookIn, strTypes, strName, strOpen, strCancel;
    QStringList listTypes;
};

// Looks at the dialog, then chooses strFile in it.
void SeeAndChoose(QFileDialog& dlg, SSeen& seen, const QString& strFile) {
    seen.strDir = dlg.directory().absolutePath();
    for (auto [pText, pszName] :
         {std::pair{&seen.strLookIn, "lookInLabel"}, std::pair{&seen.strTypes, "fileTypeLabel"},
          std::pair{&seen.strName, "fileNameLabel"}}) {
        if (auto* pLabel = dlg.findChild<QLabel*>(pszName)) {
            *pText = pLabel->text();
        }
    }
    if (auto* pTypes = dlg.findChild<QComboBox*>("fileTypeCombo")) {
        for (int i = 0; i < pTypes->count(); ++i) {
            seen.listTypes << pTypes->itemText(i);
        }
    }
    if (auto* pButtons = dlg.findChild<QDialogButtonBox*>("buttonBox")) {
        for (QAbstractButton* pButton : pButtons->buttons()) {
            (pButtons->buttonRole(pButton) == QDialogButtonBox::AcceptRole ? seen.strOpen
                                                                           : seen.strCancel) =
                pButton->text();
        }
    }
    dlg.selectFile(strFile);
    static_cast<QDialog&>(dlg).accept();
}
} // namespace

TEST(DownloadFileDialog, SpeaksJapaneseOffersTheTypesAndStartsInTheLastDownloadFolder) {
    ASSERT_TRUE(InstallToolkitTranslation())
        << "Qt's Japanese translations (qt6-translations-l10n)";
    QTemporaryDir home, first, second;
    ASSERT_TRUE(home.isValid() && first.isValid() && second.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, home.path());
    qputenv("HOME", home.path().toLocal8Bit());
    Touch(QDir(first.path()).filePath("APP.mot"));
    Touch(QDir(second.path()).filePath("KERNEL.mot"));
    CQtUi ui;

    // The first time: the home folder, not the program's working folder.
    SSeen seen;
    CModalScript script;
    script.OnWindow<QFileDialog>(
        [&](QFileDialog& dlg) { SeeAndChoose(dlg, seen, QDir(first.path()).filePath("APP.mot")); });
    std::string strPath;
    ASSERT_TRUE(ui.ChooseFileToOpen(DownloadFileChoice(), strPath));
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(seen.strDir, QDir(home.path()).absolutePath());
    EXPECT_EQ(seen.listTypes, (QStringList{"MOT Files (*.mot)", "All Files (*.*)"}));
    EXPECT_EQ(seen.strLookIn.toStdString(), "アドレス:");
    EXPECT_EQ(seen.strTypes.toStdString(), "ファイルの種類:");
    EXPECT_EQ(seen.strName.toStdString(), "ファイル名(&N):");
    EXPECT_EQ(seen.strOpen.toStdString(), "開く(&O)");
    EXPECT_EQ(seen.strCancel.toStdString(), "キャンセル");
    EXPECT_EQ(QString::fromStdString(strPath), QDir(first.path()).filePath("APP.mot"));
    EXPECT_EQ(ReadDownloadFolder(*OpenUserSettings()), QDir(first.path()).absolutePath());

    // The next download starts where the last one took its file.
    SSeen again;
    CModalScript next;
    next.OnWindow<QFileDialog>([&](QFileDialog& dlg) {
        SeeAndChoose(dlg, again, QDir(second.path()).filePath("KERNEL.mot"));
    });
    ASSERT_TRUE(ui.ChooseFileToOpen(DownloadFileChoice(), strPath));
    EXPECT_EQ(again.strDir, QDir(first.path()).absolutePath());
    EXPECT_EQ(ReadDownloadFolder(*OpenUserSettings()), QDir(second.path()).absolutePath());

    // A cancel keeps the folder; a folder since removed gives the home folder.
    ASSERT_TRUE(second.remove());
    SSeen gone;
    CModalScript cancel;
    cancel.OnWindow<QFileDialog>([&](QFileDialog& dlg) {
        gone.strDir = dlg.directory().absolutePath();
        dlg.reject();
    });
    EXPECT_FALSE(ui.ChooseFileToOpen(DownloadFileChoice(), strPath));
    EXPECT_EQ(gone.strDir, QDir(home.path()).absolutePath());
    EXPECT_EQ(ReadDownloadFolder(*OpenUserSettings()), QDir(second.path()).absolutePath());
}
