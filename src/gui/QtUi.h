#pragma once
#include "ui/Ui.h"

#include <functional>
#include <map>
#include <string>

class CMainFrame;
class QWidget;

// The UI interface on Qt widgets. Texts arrive in UTF-8.
class CQtUi : public CUi {
public:
    // Shows a dialog model in its Qt view and returns the end result.
    using DialogView = std::function<int(CDialogModel& dialog, QWidget* pParent)>;

    explicit CQtUi(CMainFrame* pFrame = nullptr) : m_pFrame(pFrame) {}
    void SetMainFrame(CMainFrame* pFrame) { m_pFrame = pFrame; }
    // Binds a dialog model class (by GetDialogName) to the view that shows it.
    void RegisterDialogView(const std::string& strDialogName, DialogView view) {
        m_mapViews[strDialogName] = std::move(view);
    }

    EMsgAnswer MessageBox(const std::string& strText, EMsgButtons buttons, EMsgIcon icon,
                          const std::string& strCaption) override;
    // A dialog without a view yet is cancelled.
    int DoModal(CDialogModel& dialog) override;
    void OpenModeless(CDialogModel& dialog) override;
    void RefreshModeless(CDialogModel& dialog) override;
    void CloseModeless(CDialogModel& dialog) override;
    bool ChooseFileToOpen(const SFileChoice& choice, std::string& strPath) override;
    bool OpenWithDesktop(const std::string& strPath) override;
    void SetStatusText(const std::string& strText) override;
    void EnableMainWindow(bool bEnable) override;
    void BeginWaitCursor() override;
    void RestoreWaitCursor() override;
    void EndWaitCursor() override;
    void UpdateAllViews() override;

    int GetWaitCursorDepth() const { return m_nWaitCursorDepth; }

private:
    // Owner of a modal window: the innermost modal one, else the main window
    // while it takes input (a child of a disabled window would be disabled too).
    QWidget* ModalParent() const;

    CMainFrame* m_pFrame;
    std::map<std::string, DialogView> m_mapViews;
    int m_nWaitCursorDepth = 0;
};
