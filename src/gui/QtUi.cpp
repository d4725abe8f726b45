#include "gui/QtUi.h"

#include "gui/DialogView.h"
#include "gui/MainFrame.h"
#include "gui/PlacedMessageBox.h"
#include "gui/RecentFiles.h"
#include "res/ShellTexts.h"
#include "res/Texts.h"
#include "ui/DialogModel.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>
#include <QWindow>

#include <cstdio>

#include <utility>
#include <vector>

namespace {
QMessageBox::Icon ToQtIcon(EMsgIcon icon) {
    switch (icon) {
    case EMsgIcon::Information:
        return QMessageBox::Information;
    case EMsgIcon::Warning:
        return QMessageBox::Warning;
    case EMsgIcon::Error:
        return QMessageBox::Critical;
    case EMsgIcon::Question:
        return QMessageBox::Question;
    case EMsgIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

// The buttons of a box in order, each with its answer and caption.
std::vector<std::pair<EMsgAnswer, const char*>> ButtonsOf(EMsgButtons buttons) {
    switch (buttons) {
    case EMsgButtons::Ok:
        return {{EMsgAnswer::Ok, TXT_BUTTON_OK}};
    case EMsgButtons::OkCancel:
        return {{EMsgAnswer::Ok, TXT_BUTTON_OK}, {EMsgAnswer::Cancel, TXT_BUTTON_CANCEL}};
    case EMsgButtons::YesNo:
        return {{EMsgAnswer::Yes, TXT_BUTTON_YES}, {EMsgAnswer::No, TXT_BUTTON_NO}};
    case EMsgButtons::YesNoCancel:
        return {{EMsgAnswer::Yes, TXT_BUTTON_YES},
                {EMsgAnswer::No, TXT_BUTTON_NO},
                {EMsgAnswer::Cancel, TXT_BUTTON_CANCEL}};
    case EMsgButtons::RetryCancel:
        return {{EMsgAnswer::Retry, TXT_BUTTON_RETRY}, {EMsgAnswer::Cancel, TXT_BUTTON_CANCEL}};
    }
    return {{EMsgAnswer::Ok, TXT_BUTTON_OK}};
}

// The answer of a box closed without a button (Escape, the close box): as
// the platform gives it.
EMsgAnswer EscapeAnswer(EMsgButtons buttons) {
    auto vecButtons = ButtonsOf(buttons);
    for (EMsgAnswer answer : {EMsgAnswer::Cancel, EMsgAnswer::No}) {
        for (const auto& button : vecButtons) {
            if (button.first == answer) {
                return answer;
            }
        }
    }
    return vecButtons.front().first;
}

QMessageBox::StandardButton ToQtButton(EMsgAnswer answer) {
    switch (answer) {
    case EMsgAnswer::Ok:
        return QMessageBox::Ok;
    case EMsgAnswer::Cancel:
        return QMessageBox::Cancel;
    case EMsgAnswer::Yes:
        return QMessageBox::Yes;
    case EMsgAnswer::No:
        return QMessageBox::No;
    case EMsgAnswer::Retry:
        return QMessageBox::Retry;
    }
    return QMessageBox::Ok;
}
} // namespace

QWidget* CQtUi::ModalParent() const {
    if (QWidget* pModal = QApplication::activeModalWidget()) {
        return pModal;
    }
    if (m_pFrame != nullptr && m_pFrame->isVisible()) {
        return m_pFrame;
    }
    return nullptr;
}

CQtUi::CArrowScope::CArrowScope(CQtUi& ui)
    : m_ui(ui), m_bPushed(QApplication::overrideCursor() != nullptr) {
    if (m_bPushed) {
        QApplication::setOverrideCursor(Qt::ArrowCursor);
        m_ui.m_vecCursors.push_back(Qt::ArrowCursor);
    }
}

CQtUi::CArrowScope::~CArrowScope() {
    if (m_bPushed) {
        m_ui.m_vecCursors.pop_back();
        QApplication::restoreOverrideCursor();
    }
}

bool CQtUi::IsClosing() const {
    return m_pFrame != nullptr && m_pFrame->IsClosePending();
}

EMsgAnswer CQtUi::MessageBox(const std::string& strText, EMsgButtons buttons, EMsgIcon icon,
                             const std::string& strCaption) {
    if (IsClosing()) {
        return EscapeAnswer(buttons);
    }
    // The open progress and information windows stay in view beside the box.
    std::vector<QRect> vecKeepClear;
    for (const auto& [pDialog, pView] : m_mapModeless) {
        if (pView->isVisible()) {
            vecKeepClear.push_back(pView->frameGeometry());
        }
    }
    CPlacedMessageBox box(ToQtIcon(icon), QString::fromUtf8(strCaption.c_str()),
                          QString::fromUtf8(strText.c_str()), ModalParent(),
                          std::move(vecKeepClear));
    auto vecButtons = ButtonsOf(buttons);
    for (const auto& [answer, pszCaption] : vecButtons) {
        box.addButton(ToQtButton(answer))->setText(QString::fromUtf8(pszCaption));
    }
    box.setDefaultButton(ToQtButton(vecButtons.front().first));
    {
        CArrowScope arrow(*this);
        box.exec();
    }
    QAbstractButton* pClicked = box.clickedButton();
    for (const auto& [answer, pszCaption] : vecButtons) {
        if (pClicked != nullptr && pClicked == box.button(ToQtButton(answer))) {
            return answer;
        }
    }
    return EscapeAnswer(buttons);
}

CQtUi::CQtUi(CMainFrame* pFrame) : m_pFrame(nullptr) {
    SetMainFrame(pFrame);
}

CQtUi::~CQtUi() {
    SetMainFrame(nullptr);
}

void CQtUi::SetMainFrame(CMainFrame* pFrame) {
    if (m_pFrame != nullptr) {
        m_pFrame->SetClosingHook({});
    }
    m_pFrame = pFrame;
    if (m_pFrame != nullptr) {
        // The main window closing for good takes every modeless window with it.
        m_pFrame->SetClosingHook([this] { CloseAllModeless(); });
    }
}

void CQtUi::ReportMissingForm(const CDialogModel& dialog) {
    char sz[256];
    std::snprintf(sz, sizeof sz, TXT_NO_DIALOG_FORM_FORMAT, dialog.GetDialogName());
    std::fprintf(stderr, "%s\n", sz);
    ShowMessage(sz, EMsgButtons::Ok, EMsgIcon::Error);
}

int CQtUi::DoModal(CDialogModel& dialog) {
    if (IsClosing()) {
        return DIALOG_CANCEL;
    }
    std::unique_ptr<CDialogView> pView = CDialogView::Create(dialog, *this, ModalParent());
    if (pView == nullptr) {
        ReportMissingForm(dialog);
        return DIALOG_CANCEL;
    }
    CArrowScope arrow(*this);
    return pView->RunModal();
}

void CQtUi::OpenModeless(CDialogModel& dialog) {
    auto it = m_mapModeless.find(&dialog);
    if (it != m_mapModeless.end()) {
        it->second->RefreshFromModel();
        it->second->show();
        return;
    }
    // A window of its own, kept above the main window by the window manager;
    // the main window closes it as it closes for good.
    std::unique_ptr<CDialogView> pView = CDialogView::Create(dialog, *this, nullptr);
    if (pView == nullptr) {
        ReportMissingForm(dialog);
        return;
    }
    pView->setModal(false);
    if (m_pFrame != nullptr && m_pFrame->windowHandle() != nullptr) {
        pView->winId();
        pView->windowHandle()->setTransientParent(m_pFrame->windowHandle());
    }
    pView->show();
    m_mapModeless[&dialog] = std::move(pView);
}

CDialogView* CQtUi::GetModelessView(const CDialogModel& dialog) const {
    auto it = m_mapModeless.find(&dialog);
    return it == m_mapModeless.end() ? nullptr : it->second.get();
}

void CQtUi::RefreshModeless(CDialogModel& dialog) {
    auto it = m_mapModeless.find(&dialog);
    if (it != m_mapModeless.end()) {
        it->second->RefreshFromModel();
    }
}

void CQtUi::CloseModeless(CDialogModel& dialog) {
    auto it = m_mapModeless.find(&dialog);
    if (it != m_mapModeless.end()) {
        // The map lets go first: closing may run the pump, which may look here.
        std::unique_ptr<CDialogView> pView = std::move(it->second);
        m_mapModeless.erase(it);
        pView->Detach();
        pView->hide();
        if (pView->IsInHandler()) {
            // Closed from one of its own handlers: it goes once that returned.
            pView.release()->deleteLater();
        }
    }
}

void CQtUi::CloseAllModeless() {
    std::map<const CDialogModel*, std::unique_ptr<CDialogView>> mapViews;
    mapViews.swap(m_mapModeless);
    for (auto& [pDialog, pView] : mapViews) {
        const_cast<CDialogModel*>(pDialog)->OnModelessClosed();
        pView->Detach();
        pView->hide();
        if (pView->IsInHandler()) {
            pView.release()->deleteLater();
        }
    }
}

bool CQtUi::ChooseFileToOpen(const SFileChoice& choice, std::string& strPath) {
    if (IsClosing()) {
        return false;
    }
    if (m_fnFileChooser) {
        return m_fnFileChooser(choice, strPath);
    }
    QFileDialog dlg(ModalParent(), QString::fromStdString(choice.strTitle));
    dlg.setAcceptMode(QFileDialog::AcceptOpen);
    dlg.setFileMode(QFileDialog::ExistingFile);
    dlg.setNameFilters(NameFiltersOf(choice));
    // The list shows each name as given; the patterns work behind it.
    dlg.setOption(QFileDialog::HideNameFilterDetails);
    std::string strExt = choice.strDefaultExt;
    if (!strExt.empty() && strExt.front() == '.') {
        strExt.erase(0, 1);
    }
    dlg.setDefaultSuffix(QString::fromStdString(strExt));
    // Where the last download's file was; the home folder the first time or
    // when that folder is gone, never the program's working folder.
    std::unique_ptr<QSettings> pSettings = OpenUserSettings();
    QString strFolder = ReadDownloadFolder(*pSettings);
    dlg.setDirectory(!strFolder.isEmpty() && QFileInfo(strFolder).isDir() ? strFolder
                                                                          : QDir::homePath());
    int nResult = QDialog::Rejected;
    {
        CArrowScope arrow(*this);
        nResult = dlg.exec();
    }
    if (nResult != QDialog::Accepted || dlg.selectedFiles().isEmpty()) {
        return false;
    }
    const QString strChosen = dlg.selectedFiles().front();
    WriteDownloadFolder(*pSettings, QFileInfo(strChosen).absolutePath());
    strPath = QFile::encodeName(strChosen).toStdString();
    return true;
}

bool CQtUi::OpenWithDesktop(const std::string& strPath) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QFile::decodeName(strPath.c_str())));
}

QStringList CQtUi::NameFiltersOf(const SFileChoice& choice) {
    QStringList list;
    for (const SFileFilter& filter : choice.vecFilters) {
        QString strPatterns = QString::fromStdString(filter.strPatterns);
        strPatterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        list << QStringLiteral("%1 (%2)").arg(QString::fromStdString(filter.strName), strPatterns);
    }
    return list;
}

void CQtUi::ShowNotice(const std::string& strText) {
    // Modeless: the operation that gives it runs on meanwhile.
    auto* pBox = new QMessageBox(QMessageBox::Information, QString::fromUtf8(TXT_APP_TITLE),
                                 QString::fromUtf8(strText.c_str()), QMessageBox::Ok, m_pFrame);
    pBox->setObjectName(QStringLiteral("Notice"));
    pBox->button(QMessageBox::Ok)->setText(QString::fromUtf8(TXT_BUTTON_OK));
    pBox->setAttribute(Qt::WA_DeleteOnClose);
    pBox->setModal(false);
    pBox->show();
}

void CQtUi::SetStatusText(const std::string& strText) {
    if (m_pFrame != nullptr) {
        m_pFrame->SetStatusText(strText);
    }
}

void CQtUi::SetSearchCounts(const std::string& strText) {
    if (m_pFrame != nullptr) {
        m_pFrame->SetSearchCounts(strText);
    }
}

void CQtUi::EnableMainWindow(bool bEnable) {
    if (m_pFrame != nullptr) {
        m_pFrame->SetInputEnabled(bEnable);
    }
}

void CQtUi::BeginWaitCursor() {
    ++m_nWaitCursorDepth;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_vecCursors.push_back(Qt::WaitCursor);
}

void CQtUi::RestoreWaitCursor() {
    // A window shown meanwhile may have put another cursor on top; never
    // over a modal window still up, though.
    if (m_nWaitCursorDepth > 0 && !m_vecCursors.empty() && m_vecCursors.back() == Qt::WaitCursor) {
        QApplication::changeOverrideCursor(Qt::WaitCursor);
    }
}

void CQtUi::EndWaitCursor() {
    if (m_nWaitCursorDepth > 0) {
        --m_nWaitCursorDepth;
        if (!m_vecCursors.empty()) {
            m_vecCursors.pop_back();
        }
        QApplication::restoreOverrideCursor();
    }
}

void CQtUi::UpdateAllViews() {
    if (m_pFrame != nullptr) {
        m_pFrame->UpdateFromDocument();
    }
}
