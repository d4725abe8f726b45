// The model shown: title, enabled and visible states, captions and values,
// each written only where the screen differs, so a cursor never jumps.
#include "gui/DialogView.h"
#include "gui/DialogViewParts.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QTreeWidget>

#include <algorithm>

namespace {
// Rows the model wants selected.
std::vector<int> WantedSelection(const CDialogModel& dialog, const SControl& control) {
    if (control.bMultiSelect) {
        return dialog.GetSelection(control.nId);
    }
    int nRow = dialog.GetInt(control.nId);
    return nRow >= 0 ? std::vector<int>{nRow} : std::vector<int>{};
}
} // namespace

void CDialogView::RefreshFromModel() {
    m_bWriting = true;
    const std::string& strTitle = m_dialog.GetTitle();
    if (!strTitle.empty() && windowTitle() != QString::fromStdString(strTitle)) {
        setWindowTitle(QString::fromStdString(strTitle));
    }
    for (const SBinding& binding : m_vecBindings) {
        int nId = binding.pControl->nId;
        std::vector<QWidget*> vecWidgets;
        if (binding.pWidget != nullptr) {
            vecWidgets.push_back(binding.pWidget);
        }
        vecWidgets.insert(vecWidgets.end(), binding.vecMembers.begin(), binding.vecMembers.end());
        for (QWidget* pWidget : vecWidgets) {
            if (QTabWidget* pTab = TabOfPage(pWidget)) {
                // A page is shown and enabled through its tab.
                int nIndex = pTab->indexOf(pWidget);
                if (pTab->isTabEnabled(nIndex) != m_dialog.IsEnabled(nId)) {
                    pTab->setTabEnabled(nIndex, m_dialog.IsEnabled(nId));
                }
                if (pTab->isTabVisible(nIndex) != m_dialog.IsVisible(nId)) {
                    pTab->setTabVisible(nIndex, m_dialog.IsVisible(nId));
                }
                continue;
            }
            // The widget's own state: a disabled group greys its children too.
            if (pWidget->testAttribute(Qt::WA_ForceDisabled) == m_dialog.IsEnabled(nId)) {
                pWidget->setEnabled(m_dialog.IsEnabled(nId));
            }
            if (pWidget->isHidden() == m_dialog.IsVisible(nId)) {
                pWidget->setHidden(!m_dialog.IsVisible(nId));
            }
        }
        WriteCaption(binding);
        WriteValue(binding);
    }
    m_bWriting = false;
}

void CDialogView::WriteCaption(const SBinding& binding) {
    auto SetText = [](QWidget* pWidget, const std::string& strCaption) {
        if (strCaption.empty()) {
            return; // the form's own text
        }
        QString str = QString::fromStdString(strCaption);
        if (auto* pButton = qobject_cast<QAbstractButton*>(pWidget)) {
            if (pButton->text() != str) {
                pButton->setText(str);
            }
        } else if (auto* pLabel = qobject_cast<QLabel*>(pWidget)) {
            if (pLabel->text() != str) {
                pLabel->setText(str);
            }
        } else if (auto* pGroup = qobject_cast<QGroupBox*>(pWidget)) {
            if (pGroup->title() != str) {
                pGroup->setTitle(str);
            }
        } else if (QTabWidget* pTab = TabOfPage(pWidget)) {
            int nIndex = pTab->indexOf(pWidget);
            if (pTab->tabText(nIndex) != str) {
                pTab->setTabText(nIndex, str);
            }
        }
    };
    if (binding.pWidget != nullptr) {
        SetText(binding.pWidget, m_dialog.GetCaption(binding.pControl->nId));
    }
    for (size_t i = 0; i < binding.vecMembers.size(); ++i) {
        SetText(binding.vecMembers[i], m_dialog.GetCaption(binding.pControl->vecMembers[i]));
    }
}

void CDialogView::WriteValue(const SBinding& binding) {
    const SControl& control = *binding.pControl;
    int nId = control.nId;
    if (IsEditKind(control.eKind)) {
        QString strText = FromCp932(m_dialog.GetText(nId));
        if (auto* pEdit = qobject_cast<QLineEdit*>(binding.pWidget)) {
            if (pEdit->text() != strText) {
                // The model's text as it is, not as the operator's typing rules would cut it.
                const QValidator* pValidator = pEdit->validator();
                pEdit->setValidator(nullptr);
                pEdit->setText(strText);
                pEdit->setValidator(pValidator);
            }
        } else if (auto* pText = qobject_cast<QPlainTextEdit*>(binding.pWidget)) {
            if (pText->toPlainText() != strText) {
                pText->setPlainText(strText);
            }
        }
        return;
    }
    switch (control.eKind) {
    case ECtl::DropList: {
        auto* pCombo = static_cast<QComboBox*>(binding.pWidget);
        QStringList listItems = ItemTexts(m_dialog.GetItems(nId));
        QStringList listShown;
        for (int i = 0; i < pCombo->count(); ++i) {
            listShown << pCombo->itemText(i);
        }
        if (listShown != listItems) {
            pCombo->clear();
            pCombo->addItems(listItems);
        }
        int nIndex = m_dialog.GetInt(nId);
        if (nIndex < 0 || nIndex >= pCombo->count()) {
            nIndex = -1;
        }
        if (pCombo->currentIndex() != nIndex) {
            pCombo->setCurrentIndex(nIndex);
        }
        break;
    }
    case ECtl::ListBox:
    case ECtl::ReportList: {
        auto* pView = static_cast<QAbstractItemView*>(binding.pWidget);
        if (auto* pList = qobject_cast<QListWidget*>(pView)) {
            QStringList listItems = ItemTexts(m_dialog.GetItems(nId));
            QStringList listShown;
            for (int i = 0; i < pList->count(); ++i) {
                listShown << pList->item(i)->text();
            }
            if (listShown != listItems) {
                pList->clear();
                pList->addItems(listItems);
            }
        } else if (auto* pTree = qobject_cast<QTreeWidget*>(pView)) {
            const auto& vecRows = m_dialog.GetRows(nId);
            bool bSame = pTree->topLevelItemCount() == static_cast<int>(vecRows.size());
            for (size_t r = 0; bSame && r < vecRows.size(); ++r) {
                QTreeWidgetItem* pItem = pTree->topLevelItem(static_cast<int>(r));
                bSame = pItem->columnCount() <= static_cast<int>(vecRows[r].size());
                for (size_t c = 0; bSame && c < vecRows[r].size(); ++c) {
                    bSame = pItem->text(static_cast<int>(c)) == FromCp932(vecRows[r][c]);
                }
            }
            if (!bSame) {
                pTree->clear();
                for (const auto& vecCells : vecRows) {
                    pTree->addTopLevelItem(new QTreeWidgetItem(ItemTexts(vecCells)));
                }
            }
        }
        int nRows = pView->model()->rowCount();
        std::vector<int> vecWanted;
        for (int nRow : WantedSelection(m_dialog, control)) {
            if (nRow >= 0 && nRow < nRows) {
                vecWanted.push_back(nRow);
            }
        }
        std::vector<int> vecShown;
        for (const QModelIndex& index : pView->selectionModel()->selectedRows()) {
            vecShown.push_back(index.row());
        }
        std::sort(vecShown.begin(), vecShown.end());
        std::sort(vecWanted.begin(), vecWanted.end());
        if (vecShown != vecWanted) {
            QItemSelectionModel* pSelection = pView->selectionModel();
            pSelection->clearSelection();
            for (int nRow : vecWanted) {
                pSelection->select(pView->model()->index(nRow, 0),
                                   QItemSelectionModel::Select | QItemSelectionModel::Rows);
            }
            if (vecWanted.empty()) {
                pSelection->clearCurrentIndex();
            } else {
                int nCurrent = m_dialog.GetInt(nId);
                if (std::find(vecWanted.begin(), vecWanted.end(), nCurrent) == vecWanted.end()) {
                    nCurrent = vecWanted.front();
                }
                pSelection->setCurrentIndex(pView->model()->index(nCurrent, 0),
                                            QItemSelectionModel::NoUpdate);
            }
        }
        break;
    }
    case ECtl::CheckBox: {
        auto* pCheck = static_cast<QCheckBox*>(binding.pWidget);
        bool bChecked = m_dialog.GetInt(nId) != 0;
        if (pCheck->isChecked() != bChecked) {
            pCheck->setChecked(bChecked);
        }
        break;
    }
    case ECtl::RadioGroup: {
        int nChecked = m_dialog.GetInt(nId);
        for (size_t i = 0; i < binding.vecMembers.size(); ++i) {
            QRadioButton* pRadio = binding.vecMembers[i];
            bool bChecked = static_cast<int>(i) == nChecked;
            if (pRadio->isChecked() != bChecked) {
                // Exclusive buttons cannot all be cleared otherwise.
                bool bExclusive = pRadio->autoExclusive();
                pRadio->setAutoExclusive(false);
                pRadio->setChecked(bChecked);
                pRadio->setAutoExclusive(bExclusive);
            }
        }
        break;
    }
    default:
        break;
    }
}
