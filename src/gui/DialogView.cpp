#include "gui/DialogView.h"

#include "gui/DialogForms.h"
#include "platform/Cp932.h"
#include "ui/Ui.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QValidator>

#include <algorithm>
#include <cstdio>

namespace {
QString FromCp932(const std::string& strCp932) {
    return QString::fromStdString(Cp932ToUtf8Lossy(strCp932));
}

// Screen text to CP932; a character CP932 cannot hold is left out.
std::string ToCp932(const QString& str) {
    std::string strCp932;
    if (Utf8ToCp932(str.toStdString(), strCp932)) {
        return strCp932;
    }
    strCp932.clear();
    for (qsizetype i = 0; i < str.size();) {
        qsizetype n = (str[i].isHighSurrogate() && i + 1 < str.size()) ? 2 : 1;
        std::string strChar;
        if (Utf8ToCp932(str.mid(i, n).toStdString(), strChar)) {
            strCp932 += strChar;
        }
        i += n;
    }
    return strCp932;
}

QString ControlName(int nId) {
    return QStringLiteral("id%1").arg(nId);
}

bool IsEditKind(ECtl eKind) {
    return eKind == ECtl::Edit || eKind == ECtl::DigitsEdit || eKind == ECtl::HexEdit ||
           eKind == ECtl::UpperEdit || eKind == ECtl::ReadOnlyEdit;
}

// The edit's rules, applied to every change the operator makes, typed or pasted.
class CInputValidator : public QValidator {
public:
    CInputValidator(const SControl& control, const CDialogModel& dialog, QObject* pParent)
        : QValidator(pParent), m_control(control), m_dialog(dialog) {}

    State validate(QString& strInput, int& nPos) const override {
        // The model holds the text as it was before this change.
        QString strBefore = FromCp932(m_dialog.GetText(m_control.nId));
        strInput = ApplyInputRules(m_control, strBefore, strInput, nPos);
        return Acceptable;
    }

private:
    const SControl& m_control;
    const CDialogModel& m_dialog;
};

QStringList ItemTexts(const std::vector<std::string>& vecItems) {
    QStringList list;
    for (const std::string& str : vecItems) {
        list << FromCp932(str);
    }
    return list;
}

// The tab widget whose page the widget is, or null: a page of a property
// sheet is a group whose caption is its tab's text.
QTabWidget* TabOfPage(QWidget* pWidget) {
    for (QWidget* p = pWidget->parentWidget(); p != nullptr; p = p->parentWidget()) {
        if (auto* pTab = qobject_cast<QTabWidget*>(p)) {
            return pTab->indexOf(pWidget) >= 0 ? pTab : nullptr;
        }
    }
    return nullptr;
}

// Rows the model wants selected.
std::vector<int> WantedSelection(const CDialogModel& dialog, const SControl& control) {
    if (control.bMultiSelect) {
        return dialog.GetSelection(control.nId);
    }
    int nRow = dialog.GetInt(control.nId);
    return nRow >= 0 ? std::vector<int>{nRow} : std::vector<int>{};
}
} // namespace

QString ApplyInputRules(const SControl& control, const QString& strBefore, const QString& strAfter,
                        int& nCursor) {
    // The changed stretch is what lies between the part both texts begin with
    // and the part both end with.
    qsizetype nShorter = std::min(strBefore.size(), strAfter.size());
    qsizetype nHead = 0;
    while (nHead < nShorter && strBefore[nHead] == strAfter[nHead]) {
        ++nHead;
    }
    if (nHead > 0 && strAfter[nHead - 1].isHighSurrogate()) {
        --nHead;
    }
    qsizetype nTail = 0;
    while (nTail < nShorter - nHead &&
           strBefore[strBefore.size() - 1 - nTail] == strAfter[strAfter.size() - 1 - nTail]) {
        ++nTail;
    }
    if (nTail > 0 && strAfter[strAfter.size() - nTail].isLowSurrogate()) {
        --nTail;
    }
    SControl charsOnly = control;
    charsOnly.nLimit = 0;
    auto Filtered = [&](const QString& str) { return FilterInput(charsOnly, ToCp932(str)); };
    std::string strHead = Filtered(strAfter.left(nHead));
    std::string strMid = Filtered(strAfter.mid(nHead, strAfter.size() - nHead - nTail));
    std::string strTail = Filtered(strAfter.right(nTail));
    if (control.nLimit > 0 && strHead.size() + strMid.size() + strTail.size() > control.nLimit) {
        // What was there stays; of the new text only what still fits.
        size_t nKept = strHead.size() + strTail.size();
        SControl room = control;
        room.nLimit = nKept < control.nLimit ? control.nLimit - nKept : 0;
        strMid = room.nLimit > 0 ? FilterInput(room, strMid) : std::string();
    }
    QString strHeadShown = FromCp932(strHead);
    QString strMidShown = FromCp932(strMid);
    QString strResult = strHeadShown + strMidShown + FromCp932(strTail);
    if (nCursor <= nHead) {
        nCursor = static_cast<int>(FromCp932(Filtered(strAfter.left(nCursor))).size());
    } else if (nCursor >= strAfter.size() - nTail) {
        nCursor =
            static_cast<int>(strResult.size() - FromCp932(Filtered(strAfter.mid(nCursor))).size());
    } else {
        nCursor = static_cast<int>(strHeadShown.size() + strMidShown.size());
    }
    return strResult;
}

std::unique_ptr<CDialogView> CDialogView::Create(CDialogModel& dialog, CUi& ui, QWidget* pParent) {
    if (!HasDialogForm(dialog.GetDialogName())) {
        return nullptr;
    }
    std::string strName = dialog.GetDialogName();
    return std::unique_ptr<CDialogView>(new CDialogView(
        dialog, ui, pParent, [strName](QDialog* pDialog) { SetUpDialogForm(strName, pDialog); }));
}

std::unique_ptr<CDialogView> CDialogView::CreateOnForm(CDialogModel& dialog, CUi& ui,
                                                       QWidget* pParent, const FormSetup& fnSetup) {
    return std::unique_ptr<CDialogView>(new CDialogView(dialog, ui, pParent, fnSetup));
}

CDialogView::CDialogView(CDialogModel& dialog, CUi& ui, QWidget* pParent, const FormSetup& fnSetup)
    : QDialog(pParent), m_dialog(dialog), m_ui(ui) {
    fnSetup(this);
    BindControls();
    RefreshFromModel();
}

CDialogView::~CDialogView() {
    // The widgets outlive this part of the object; what they signal while they
    // are torn down must not reach the bindings or the model.
    for (QObject* pChild : findChildren<QObject*>()) {
        pChild->disconnect(this);
    }
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

int CDialogView::RunModal() {
    m_nResult = DIALOG_CANCEL;
    RefreshFromModel();
    exec();
    return m_nResult;
}

namespace {
class CDepth {
public:
    explicit CDepth(int& nDepth) : m_nDepth(nDepth) { ++m_nDepth; }
    ~CDepth() { --m_nDepth; }
    CDepth(const CDepth&) = delete;
    CDepth& operator=(const CDepth&) = delete;

private:
    int& m_nDepth;
};
} // namespace

void CDialogView::Command(int nId) {
    CDepth depth(m_nHandlerDepth);
    SDialogAction action = m_dialog.OnCommand(m_ui, nId);
    if (m_bDetached) {
        return;
    }
    RefreshFromModel();
    RunAction(action);
}

void CDialogView::ListEvent(int nId, EListEvent eEvent) {
    CDepth depth(m_nHandlerDepth);
    SDialogAction action = m_dialog.OnListEvent(m_ui, nId, eEvent);
    if (m_bDetached) {
        return;
    }
    RefreshFromModel();
    RunAction(action);
}

void CDialogView::Changed(int nId) {
    CDepth depth(m_nHandlerDepth);
    m_dialog.OnChange(m_ui, nId);
    if (!m_bDetached) {
        RefreshFromModel();
    }
}

void CDialogView::RunAction(const SDialogAction& action) {
    switch (action.eKind) {
    case SDialogAction::Close:
        m_nResult = action.nResult;
        if (isModal()) {
            done(action.nResult);
        } else {
            hide();
        }
        return;
    case SDialogAction::Message:
        m_ui.ShowMessage(action.strMessage);
        break;
    case SDialogAction::Stay:
        break;
    }
    if (action.nFocusId != 0) {
        FocusControl(action.nFocusId);
    }
}

void CDialogView::FocusControl(int nId) {
    QWidget* pWidget = WidgetOf(nId);
    if (pWidget == nullptr) {
        return;
    }
    pWidget->setFocus(Qt::OtherFocusReason);
    if (auto* pEdit = qobject_cast<QLineEdit*>(pWidget)) {
        pEdit->selectAll();
    } else if (auto* pText = qobject_cast<QPlainTextEdit*>(pWidget)) {
        pText->selectAll();
    }
}

void CDialogView::keyPressEvent(QKeyEvent* pEvent) {
    bool bEnter = pEvent->key() == Qt::Key_Return || pEvent->key() == Qt::Key_Enter;
    Qt::KeyboardModifiers modifiers = pEvent->modifiers() & ~Qt::KeypadModifier;
    if (bEnter && modifiers == Qt::NoModifier) {
        // On a focused push button Enter is that button's command, as on the
        // platform the dialogs come from; anywhere else it is the OK command.
        int nId = DIALOG_OK;
        if (auto* pButton = qobject_cast<QPushButton*>(focusWidget())) {
            for (const SBinding& binding : m_vecBindings) {
                if (binding.pWidget == pButton && binding.pControl->eKind == ECtl::Button) {
                    nId = binding.pControl->nId;
                }
            }
        }
        pEvent->accept();
        Command(nId);
        return;
    }
    QDialog::keyPressEvent(pEvent);
}

void CDialogView::reject() {
    Command(DIALOG_CANCEL);
}
