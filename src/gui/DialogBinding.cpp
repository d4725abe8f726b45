// Each control of the model's table bound to the widget of its id on the
// form, and the operator's changes wired to the model's handlers.
#include "gui/DialogView.h"
#include "gui/DialogViewParts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTreeWidget>

#include <algorithm>
#include <cstdio>

QString ControlName(int nId) {
    return QStringLiteral("id%1").arg(nId);
}

bool IsEditKind(ECtl eKind) {
    return eKind == ECtl::Edit || eKind == ECtl::DigitsEdit || eKind == ECtl::HexEdit ||
           eKind == ECtl::UpperEdit || eKind == ECtl::ReadOnlyEdit;
}

// sheet is a group whose caption is its tab's text.
QTabWidget* TabOfPage(QWidget* pWidget) {
    for (QWidget* p = pWidget->parentWidget(); p != nullptr; p = p->parentWidget()) {
        if (auto* pTab = qobject_cast<QTabWidget*>(p)) {
            return pTab->indexOf(pWidget) >= 0 ? pTab : nullptr;
        }
    }
    return nullptr;
}

QWidget* CDialogView::WidgetOf(int nId) const {
    return findChild<QWidget*>(ControlName(nId));
}

void CDialogView::BindControls() {
    // A button never acts on Enter by itself; the model judges Enter.
    for (QPushButton* pButton : findChildren<QPushButton*>()) {
        pButton->setAutoDefault(false);
        pButton->setDefault(false);
    }
    for (const SControl& control : m_dialog.GetControls()) {
        SBinding binding;
        binding.pControl = &control;
        if (Bind(binding)) {
            m_vecBindings.push_back(std::move(binding));
        } else {
            m_vecUnbound.push_back(control.nId);
        }
    }
    if (!m_vecUnbound.empty()) {
        // A form that lacks a control of its table is a fault of the program.
        for (int nId : m_vecUnbound) {
            std::fprintf(stderr, "%s: no widget of the right class for control %d\n",
                         m_dialog.GetDialogName(), nId);
        }
    }
}

bool CDialogView::Bind(SBinding& binding) {
    const SControl& control = *binding.pControl;
    QWidget* pWidget = WidgetOf(control.nId);
    binding.pWidget = pWidget;
    int nId = control.nId;
    switch (control.eKind) {
    case ECtl::Edit:
    case ECtl::DigitsEdit:
    case ECtl::HexEdit:
    case ECtl::UpperEdit:
    case ECtl::ReadOnlyEdit:
        if (qobject_cast<QLineEdit*>(pWidget) == nullptr &&
            qobject_cast<QPlainTextEdit*>(pWidget) == nullptr) {
            return false;
        }
        ConnectEdit(binding);
        return true;
    case ECtl::DropList:
        if (auto* pCombo = qobject_cast<QComboBox*>(pWidget)) {
            pCombo->setEditable(false);
            // Picking the item already chosen is a choice too (the node
            // dialog's model list puts the unset address back on it).
            connect(pCombo, &QComboBox::activated, this, [this, nId](int nIndex) {
                m_dialog.SetInt(nId, nIndex);
                Changed(nId);
            });
            return true;
        }
        return false;
    case ECtl::ListBox:
    case ECtl::ReportList:
        if ((control.eKind == ECtl::ListBox && qobject_cast<QListWidget*>(pWidget) == nullptr) ||
            (control.eKind == ECtl::ReportList && qobject_cast<QTreeWidget*>(pWidget) == nullptr)) {
            return false;
        }
        ConnectList(binding);
        return true;
    case ECtl::CheckBox:
        if (auto* pCheck = qobject_cast<QCheckBox*>(pWidget)) {
            connect(pCheck, &QCheckBox::clicked, this, [this, nId](bool bChecked) {
                m_dialog.SetInt(nId, bChecked ? 1 : 0);
                Changed(nId);
            });
            return true;
        }
        return false;
    case ECtl::RadioGroup:
        for (size_t i = 0; i < control.vecMembers.size(); ++i) {
            auto* pRadio = findChild<QRadioButton*>(ControlName(control.vecMembers[i]));
            if (pRadio == nullptr) {
                return false;
            }
            binding.vecMembers.push_back(pRadio);
            int nIndex = static_cast<int>(i);
            connect(pRadio, &QRadioButton::clicked, this, [this, nId, nIndex] {
                if (m_dialog.GetInt(nId) != nIndex) {
                    m_dialog.SetInt(nId, nIndex);
                    Changed(nId);
                }
            });
        }
        return true;
    case ECtl::Button:
        if (auto* pButton = qobject_cast<QPushButton*>(pWidget)) {
            connect(pButton, &QPushButton::clicked, this, [this, nId] { Command(nId); });
            return true;
        }
        return false;
    case ECtl::Label:
        return qobject_cast<QLabel*>(pWidget) != nullptr;
    case ECtl::Group:
        return qobject_cast<QGroupBox*>(pWidget) != nullptr ||
               (pWidget != nullptr && TabOfPage(pWidget) != nullptr);
    }
    return false;
}

void CDialogView::ConnectEdit(const SBinding& binding) {
    const SControl& control = *binding.pControl;
    int nId = control.nId;
    bool bReadOnly = control.eKind == ECtl::ReadOnlyEdit;
    if (auto* pEdit = qobject_cast<QLineEdit*>(binding.pWidget)) {
        pEdit->setReadOnly(bReadOnly);
        if (bReadOnly) {
            return;
        }
        pEdit->setValidator(new CInputValidator(control, m_dialog, pEdit));
        connect(pEdit, &QLineEdit::textEdited, this, [this, nId](const QString& strText) {
            std::string strCp932 = ToCp932(strText);
            if (strCp932 != m_dialog.GetText(nId)) {
                m_dialog.SetText(nId, strCp932);
                Changed(nId);
            }
        });
    } else if (auto* pText = qobject_cast<QPlainTextEdit*>(binding.pWidget)) {
        pText->setReadOnly(bReadOnly);
        if (bReadOnly) {
            return;
        }
        connect(pText, &QPlainTextEdit::textChanged, this, [this, nId, pText] {
            if (m_bWriting) {
                return;
            }
            std::string strCp932 = ToCp932(pText->toPlainText());
            if (strCp932 != m_dialog.GetText(nId)) {
                m_dialog.SetText(nId, strCp932);
                Changed(nId);
            }
        });
    }
}

void CDialogView::ConnectList(const SBinding& binding) {
    const SControl& control = *binding.pControl;
    auto* pView = static_cast<QAbstractItemView*>(binding.pWidget);
    pView->setSelectionMode(control.bMultiSelect ? QAbstractItemView::ExtendedSelection
                                                 : QAbstractItemView::SingleSelection);
    pView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    if (auto* pTree = qobject_cast<QTreeWidget*>(pView)) {
        pTree->setRootIsDecorated(false);
        pTree->setColumnCount(static_cast<int>(control.vecColumns.size()));
        QStringList listTitles;
        for (const SColumn& column : control.vecColumns) {
            listTitles << QString::fromStdString(column.strTitle);
        }
        pTree->setHeaderLabels(listTitles);
        for (size_t i = 0; i < control.vecColumns.size(); ++i) {
            if (control.vecColumns[i].nWidth > 0) {
                pTree->setColumnWidth(static_cast<int>(i), control.vecColumns[i].nWidth);
            }
        }
    }
    const SControl* pControl = &control;
    auto OnSelection = [this, pControl, pView] {
        if (m_bWriting) {
            return;
        }
        ReadListSelection(*pControl, pView);
        ListEvent(pControl->nId, EListEvent::SelChange);
    };
    auto OnDoubleClick = [this, pControl, pView] {
        ReadListSelection(*pControl, pView);
        ListEvent(pControl->nId, EListEvent::DoubleClick);
    };
    if (auto* pList = qobject_cast<QListWidget*>(pView)) {
        connect(pList, &QListWidget::itemSelectionChanged, this, OnSelection);
        connect(pList, &QListWidget::itemDoubleClicked, this, OnDoubleClick);
    } else if (auto* pTree = qobject_cast<QTreeWidget*>(pView)) {
        connect(pTree, &QTreeWidget::itemSelectionChanged, this, OnSelection);
        connect(pTree, &QTreeWidget::itemDoubleClicked, this, OnDoubleClick);
    }
}

void CDialogView::ReadListSelection(const SControl& control, QAbstractItemView* pView) {
    std::vector<int> vecRows;
    for (const QModelIndex& index : pView->selectionModel()->selectedRows()) {
        vecRows.push_back(index.row());
    }
    std::sort(vecRows.begin(), vecRows.end());
    int nCurrent = pView->currentIndex().row();
    int nRow = vecRows.empty() ? -1 : vecRows.front();
    if (std::find(vecRows.begin(), vecRows.end(), nCurrent) != vecRows.end()) {
        nRow = nCurrent;
    }
    if (control.bMultiSelect) {
        m_dialog.SetSelection(control.nId, vecRows);
    }
    m_dialog.SetInt(control.nId, nRow);
}
