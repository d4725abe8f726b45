#include "gui/QtUi.h"

#include "gui/MainFrame.h"
#include "ui/DialogModel.h"
#include "res/ShellTexts.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

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
    if (m_pFrame != nullptr && m_pFrame->isVisible() && m_pFrame->isEnabled()) {
        return m_pFrame;
    }
    return nullptr;
}

EMsgAnswer CQtUi::MessageBox(const std::string& strText, EMsgButtons buttons, EMsgIcon icon,
                             const std::string& strCaption) {
    QMessageBox box(ToQtIcon(icon), QString::fromUtf8(strCaption.c_str()),
                    QString::fromUtf8(strText.c_str()), QMessageBox::NoButton, ModalParent());
    auto vecButtons = ButtonsOf(buttons);
    for (const auto& [answer, pszCaption] : vecButtons) {
        box.addButton(ToQtButton(answer))->setText(QString::fromUtf8(pszCaption));
    }
    box.setDefaultButton(ToQtButton(vecButtons.front().first));
    box.exec();
    QAbstractButton* pClicked = box.clickedButton();
    for (const auto& [answer, pszCaption] : vecButtons) {
        if (pClicked != nullptr && pClicked == box.button(ToQtButton(answer))) {
            return answer;
        }
    }
    // Closed without a button: the answer of the escape, as the platform gives it.
    for (EMsgAnswer answer : {EMsgAnswer::Cancel, EMsgAnswer::No}) {
        for (const auto& button : vecButtons) {
            if (button.first == answer) {
                return answer;
            }
        }
    }
    return vecButtons.front().first;
}

int CQtUi::DoModal(CDialogModel& dialog) {
    auto it = m_mapViews.find(dialog.GetDialogName());
    if (it == m_mapViews.end()) {
        return DIALOG_CANCEL;
    }
    return it->second(dialog, ModalParent());
}

void CQtUi::SetStatusText(const std::string& strText) {
    if (m_pFrame != nullptr) {
        m_pFrame->SetStatusText(strText);
    }
}

void CQtUi::EnableMainWindow(bool bEnable) {
    if (m_pFrame != nullptr) {
        m_pFrame->setEnabled(bEnable);
    }
}

void CQtUi::BeginWaitCursor() {
    ++m_nWaitCursorDepth;
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

void CQtUi::RestoreWaitCursor() {
    // A dialog shown meanwhile may have put another cursor on top.
    if (m_nWaitCursorDepth > 0) {
        QApplication::changeOverrideCursor(Qt::WaitCursor);
    }
}

void CQtUi::EndWaitCursor() {
    if (m_nWaitCursorDepth > 0) {
        --m_nWaitCursorDepth;
        QApplication::restoreOverrideCursor();
    }
}

void CQtUi::UpdateAllViews() {
    if (m_pFrame != nullptr) {
        m_pFrame->UpdateFromDocument();
    }
}

// Placeholders until the generic dialog view lands.
void CQtUi::OpenModeless(CDialogModel&) {}
void CQtUi::RefreshModeless(CDialogModel&) {}
void CQtUi::CloseModeless(CDialogModel&) {}
bool CQtUi::ChooseFileToOpen(const SFileChoice&, std::string&) { return false; }
bool CQtUi::OpenWithDesktop(const std::string&) { return false; }
