#include "gui/DialogView.h"

#include "gui/DialogForms.h"
#include "ui/Ui.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>

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
    if (!m_dialog.HasCloseBox()) {
        // A fixed dialog: a caption and nothing a window manager could close,
        // shrink or stretch it with.
        setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
        // At the form's own size.
        setFixedSize(size().expandedTo(minimumSizeHint()));
    }
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

int CDialogView::RunModal() {
    m_nResult = DIALOG_CANCEL;
    RefreshFromModel();
    exec();
    return m_nResult;
}

namespace {
// Counts the handlers on the stack while it lives.
auto EnterDepth(int& nDepth) {
    ++nDepth;
    return qScopeGuard([&nDepth] { --nDepth; });
}
} // namespace

void CDialogView::Command(int nId) {
    const auto leave = EnterDepth(m_nHandlerDepth);
    SDialogAction action = m_dialog.OnCommand(m_ui, nId);
    if (m_bDetached) {
        return;
    }
    RefreshFromModel();
    RunAction(action);
}

void CDialogView::ListEvent(int nId, EListEvent eEvent) {
    const auto leave = EnterDepth(m_nHandlerDepth);
    SDialogAction action = m_dialog.OnListEvent(m_ui, nId, eEvent);
    if (m_bDetached) {
        return;
    }
    RefreshFromModel();
    RunAction(action);
}

void CDialogView::Changed(int nId) {
    const auto leave = EnterDepth(m_nHandlerDepth);
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
    FocusWidget(WidgetOf(nId));
}

void CDialogView::FocusWidget(QWidget* pWidget) {
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

namespace {
bool IsReadOnlyText(const QWidget* pWidget) {
    if (const auto* pEdit = qobject_cast<const QLineEdit*>(pWidget)) {
        return pEdit->isReadOnly();
    }
    if (const auto* pText = qobject_cast<const QPlainTextEdit*>(pWidget)) {
        return pText->isReadOnly();
    }
    return false;
}

bool IsText(const QWidget* pWidget) {
    return qobject_cast<const QLineEdit*>(pWidget) != nullptr ||
           qobject_cast<const QPlainTextEdit*>(pWidget) != nullptr;
}

// An unchecked radio button of a group that has a checked one: the group is
// entered on its checked button.
bool IsBesideCheckedRadio(const QWidget* pWidget) {
    const auto* pRadio = qobject_cast<const QRadioButton*>(pWidget);
    if (pRadio == nullptr || pRadio->isChecked() || !pRadio->autoExclusive()) {
        return false;
    }
    for (const QRadioButton* pOther :
         pRadio->parentWidget()->findChildren<QRadioButton*>(Qt::FindDirectChildrenOnly)) {
        if (pOther != pRadio && pOther->isChecked()) {
            return true;
        }
    }
    return false;
}
} // namespace

QWidget* CDialogView::FirstInputWidget() const {
    QWidget* pFirstControl = nullptr;
    for (QWidget* p = nextInFocusChain(); p != nullptr && p != this; p = p->nextInFocusChain()) {
        if (!isAncestorOf(p) || !p->isEnabled() || !p->isVisibleTo(this) ||
            (p->focusPolicy() & Qt::TabFocus) == 0 || IsReadOnlyText(p)) {
            continue;
        }
        if (IsText(p)) {
            return p;
        }
        if (pFirstControl == nullptr && !IsBesideCheckedRadio(p)) {
            pFirstControl = p;
        }
    }
    return pFirstControl;
}

void CDialogView::showEvent(QShowEvent* pEvent) {
    if (!m_bShownOnce) {
        m_bShownOnce = true;
        FocusWidget(FirstInputWidget());
    }
    QDialog::showEvent(pEvent);
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
