#pragma once
#include <string>

class CDialogModel;

enum class EMsgButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel };
enum class EMsgIcon { None, Information, Warning, Error, Question };
enum class EMsgAnswer { Ok, Cancel, Yes, No, Retry };

// Everything the logic asks of a person. Texts are UTF-8; operator texts held
// as CP932 are converted before they reach here.
class CUi {
public:
    virtual ~CUi() = default;

    virtual EMsgAnswer MessageBox(const std::string& strText, EMsgButtons buttons, EMsgIcon icon,
                                  const std::string& strCaption) = 0;
    // The message box every failure uses: OK button, the application title as caption.
    EMsgAnswer ShowMessage(const std::string& strText, EMsgButtons buttons = EMsgButtons::Ok,
                           EMsgIcon icon = EMsgIcon::Warning);

    // Runs a dialog model modally; returns its end result (DIALOG_OK, DIALOG_CANCEL, ...).
    virtual int DoModal(CDialogModel& dialog) = 0;

    // First pane of the status bar.
    virtual void SetStatusText(const std::string& strText) = 0;
    virtual void EnableMainWindow(bool bEnable) = 0;
    virtual void BeginWaitCursor() = 0;
    virtual void RestoreWaitCursor() = 0;
    virtual void EndWaitCursor() = 0;
    // The registry changed: rebuild the node list and the title.
    virtual void UpdateAllViews() = 0;
};
