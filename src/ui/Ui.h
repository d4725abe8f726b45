#pragma once
#include <string>
#include <vector>

class CDialogModel;

enum class EMsgButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel };
enum class EMsgIcon { None, Information, Warning, Error, Question };
enum class EMsgAnswer { Ok, Cancel, Yes, No, Retry };

// One entry of a file-open choice's type list, e.g. {"MOT Files (*.mot)", "*.mot"}.
struct SFileFilter {
    std::string strName;     // UTF-8
    std::string strPatterns; // ';'-separated wildcards
};

// What the file-open choice offers.
struct SFileChoice {
    std::string strTitle;      // UTF-8; empty: the toolkit's own
    std::string strDefaultExt; // ".mot": added to a typed name without an extension
    std::vector<SFileFilter> vecFilters;
};

// Everything the logic asks of a person. Texts are UTF-8; operator texts held
// as CP932 are converted before they reach here, and dialog models keep
// control values in CP932 (the view converts them).
class CUi {
public:
    virtual ~CUi() = default;

    virtual EMsgAnswer MessageBox(const std::string& strText, EMsgButtons buttons, EMsgIcon icon,
                                  const std::string& strCaption) = 0;
    // The message box every failure uses: OK button, the application title as caption.
    EMsgAnswer ShowMessage(const std::string& strText, EMsgButtons buttons = EMsgButtons::Ok,
                           EMsgIcon icon = EMsgIcon::Warning);

    // Runs a dialog model modally; returns its end result (DIALOG_OK,
    // DIALOG_CANCEL, or the model's own). A dialog the UI has no view for is a
    // fault of the program, reported loudly, never a silent cancel.
    virtual int DoModal(CDialogModel& dialog) = 0;

    // Modeless windows (information window, batch progress): shown from a model
    // that the caller owns and keeps alive until CloseModeless. The logic calls
    // RefreshModeless after it changed the model; the window repaints during
    // every later wait or pause.
    virtual void OpenModeless(CDialogModel& dialog) = 0;
    virtual void RefreshModeless(CDialogModel& dialog) = 0;
    virtual void CloseModeless(CDialogModel& dialog) = 0;

    // The file-open choice: true with the chosen path, false when cancelled.
    virtual bool ChooseFileToOpen(const SFileChoice& choice, std::string& strPath) = 0;
    // Opens a file with the desktop's program for its type (the help file);
    // false when it could not be started. Nothing is shown either way.
    virtual bool OpenWithDesktop(const std::string& strPath) = 0;

    // A notice that must not hold up the operation that gives it (the
    // operation log could not be written): no button waits for an answer.
    // A front end without a place for it drops it.
    virtual void ShowNotice(const std::string& /*strText*/) {}

    // First pane of the status bar.
    virtual void SetStatusText(const std::string& strText) = 0;
    // The status bar's pane of its own for what the last search counted
    // (answered / registered / silent); a front end without one ignores it.
    virtual void SetSearchCounts(const std::string& /*strText*/) {}
    virtual void EnableMainWindow(bool bEnable) = 0;
    virtual void BeginWaitCursor() = 0;
    virtual void RestoreWaitCursor() = 0;
    virtual void EndWaitCursor() = 0;
    // The registry changed: rebuild the node list and the title.
    virtual void UpdateAllViews() = 0;
};

// A modeless window for as long as this lives.
class CModelessWindow {
public:
    CModelessWindow(CUi& ui, CDialogModel& dialog) : m_ui(ui), m_dialog(dialog) {
        m_ui.OpenModeless(m_dialog);
    }
    ~CModelessWindow() { m_ui.CloseModeless(m_dialog); }
    CModelessWindow(const CModelessWindow&) = delete;
    CModelessWindow& operator=(const CModelessWindow&) = delete;

    void Refresh() { m_ui.RefreshModeless(m_dialog); }

private:
    CUi& m_ui;
    CDialogModel& m_dialog;
};
