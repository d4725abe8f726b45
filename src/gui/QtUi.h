#pragma once
#include "ui/Ui.h"

#include <QCursor>
#include <QStringList>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class CDialogView;
class CMainFrame;
class QWidget;

// The UI interface on Qt widgets. Texts arrive in UTF-8. Every dialog model is
// shown by the one generic view on the form named after it.
class CQtUi : public CUi {
public:
    // Stands in for the file-open choice (tests); same contract as ChooseFileToOpen.
    using FileChooser = std::function<bool(const SFileChoice& choice, std::string& strPath)>;

    explicit CQtUi(CMainFrame* pFrame = nullptr);
    ~CQtUi() override;
    void SetMainFrame(CMainFrame* pFrame);
    void SetFileChooser(FileChooser fn) { m_fnFileChooser = std::move(fn); }

    EMsgAnswer MessageBox(const std::string& strText, EMsgButtons buttons, EMsgIcon icon,
                          const std::string& strCaption) override;
    // A dialog without a form is reported (message box and standard error)
    // and cancelled.
    int DoModal(CDialogModel& dialog) override;
    void OpenModeless(CDialogModel& dialog) override;
    void RefreshModeless(CDialogModel& dialog) override;
    void CloseModeless(CDialogModel& dialog) override;
    // Every file-open choice is a download's: it starts in the folder of the
    // last one (per-user settings) and keeps the folder of the file chosen.
    bool ChooseFileToOpen(const SFileChoice& choice, std::string& strPath) override;
    bool OpenWithDesktop(const std::string& strPath) override;
    // A message box of its own window, not waited for.
    void ShowNotice(const std::string& strText) override;
    void SetStatusText(const std::string& strText) override;
    void SetSearchCounts(const std::string& strText) override;
    void EnableMainWindow(bool bEnable) override;
    void BeginWaitCursor() override;
    void RestoreWaitCursor() override;
    void EndWaitCursor() override;
    void UpdateAllViews() override;

    int GetWaitCursorDepth() const { return m_nWaitCursorDepth; }
    // Closes every modeless window, each model told so (the program ends).
    void CloseAllModeless();
    // The open modeless window of a model; null when there is none.
    CDialogView* GetModelessView(const CDialogModel& dialog) const;
    // The file dialog's type list: each name with its patterns.
    static QStringList NameFiltersOf(const SFileChoice& choice);

private:
    // Owner of a modal window: the innermost modal one, else the main window
    // while it takes input (a child of a disabled window would be disabled too).
    QWidget* ModalParent() const;

    // A dialog the program has no form for: a fault, reported loudly.
    void ReportMissingForm(const CDialogModel& dialog);
    // The main window is to close once the running command has ended: the
    // command asks nobody any more.
    bool IsClosing() const;

    // The arrow over a modal window while it is up, the wait cursor (if it
    // was on) again after it.
    class CArrowScope {
    public:
        explicit CArrowScope(CQtUi& ui);
        ~CArrowScope();
        CArrowScope(const CArrowScope&) = delete;
        CArrowScope& operator=(const CArrowScope&) = delete;

    private:
        CQtUi& m_ui;
        bool m_bPushed;
    };

    CMainFrame* m_pFrame;
    std::map<const CDialogModel*, std::unique_ptr<CDialogView>> m_mapModeless;
    FileChooser m_fnFileChooser;
    int m_nWaitCursorDepth = 0;
    // The override cursors this UI has put on, innermost last.
    std::vector<Qt::CursorShape> m_vecCursors;
};
