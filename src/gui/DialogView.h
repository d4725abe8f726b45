#pragma once
#include "ui/DialogModel.h"

#include <QDialog>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class CUi;
class QAbstractItemView;
class QRadioButton;

// What an edit keeps when the operator turns strBefore into strAfter: the
// characters of the control's kind, and only as much of the inserted part as
// fits the control's limit in CP932 bytes, so text after the cursor is never
// pushed out. Characters CP932 cannot hold are dropped. nCursor follows.
QString ApplyInputRules(const SControl& control, const QString& strBefore, const QString& strAfter,
                        int& nCursor);

// The one view of every dialog model: the model's form (by its dialog name),
// each widget bound to the control of the same id (`id1039`). Values go both
// ways (CP932 in the model, UTF-8 on screen); every button, list event and
// change goes to the model's handler, and after each handler the widgets are
// brought in line with the model. Enter and Escape are commands for the model
// to judge, never a click on a default button.
class CDialogView : public QDialog {
public:
    using FormSetup = std::function<void(QDialog* pDialog)>;

    // Null when there is no form for the model's dialog name.
    static std::unique_ptr<CDialogView> Create(CDialogModel& dialog, CUi& ui, QWidget* pParent);
    // On a form built by the caller (tests of the binding itself).
    static std::unique_ptr<CDialogView> CreateOnForm(CDialogModel& dialog, CUi& ui,
                                                     QWidget* pParent, const FormSetup& fnSetup);
    ~CDialogView() override;

    // Modal run; the result of the handler that closed the dialog, DIALOG_CANCEL
    // when it went some other way.
    int RunModal();
    // Brings every widget in line with the model; only what differs is written,
    // so a cursor never jumps.
    void RefreshFromModel();
    // A handler of the model is running (the view must not be deleted now).
    bool IsInHandler() const { return m_nHandlerDepth > 0; }
    // Closed for good: the model may be gone once the running handler returned,
    // so nothing more is read from it.
    void Detach() { m_bDetached = true; }
    // Controls of the table the form has no widget of the right class for.
    const std::vector<int>& GetUnboundControls() const { return m_vecUnbound; }

    CDialogView(const CDialogView&) = delete;
    CDialogView& operator=(const CDialogView&) = delete;

protected:
    void showEvent(QShowEvent* pEvent) override;
    void keyPressEvent(QKeyEvent* pEvent) override;
    // Escape and the close box.
    void reject() override;

private:
    struct SBinding {
        const SControl* pControl = nullptr;
        QWidget* pWidget = nullptr;            // null for a radio group without a frame
        std::vector<QRadioButton*> vecMembers; // radio group
    };

    CDialogView(CDialogModel& dialog, CUi& ui, QWidget* pParent, const FormSetup& fnSetup);
    void BindControls();
    bool Bind(SBinding& binding);
    void ConnectEdit(const SBinding& binding);
    void ConnectList(const SBinding& binding);
    void WriteValue(const SBinding& binding);
    void WriteCaption(const SBinding& binding);
    void ReadListSelection(const SControl& control, QAbstractItemView* pView);

    void Command(int nId);
    void ListEvent(int nId, EListEvent eEvent);
    void Changed(int nId);
    void RunAction(const SDialogAction& action);
    void FocusControl(int nId);
    void FocusWidget(QWidget* pWidget);
    // The first field of the tab order an operator types into; without one,
    // the first control that takes input (never a read-only text).
    QWidget* FirstInputWidget() const;
    QWidget* WidgetOf(int nId) const;

    CDialogModel& m_dialog;
    CUi& m_ui;
    std::vector<SBinding> m_vecBindings;
    std::vector<int> m_vecUnbound;
    int m_nResult = DIALOG_CANCEL;
    bool m_bWriting = false; // widgets are being written from the model
    int m_nHandlerDepth = 0;
    bool m_bDetached = false;
    bool m_bShownOnce = false;
};
