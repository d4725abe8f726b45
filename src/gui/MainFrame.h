#pragma once
#include "app/CommandTable.h"
#include "gui/KeyLocks.h"

#include <QMainWindow>

#include <functional>
#include <map>
#include <string>
#include <vector>

class COrvixDoc;
class COrvixView;
class CParamFile;
class QAction;
class QLabel;
class QMenu;

// The main window: the menus built from the command table, the node list in
// the middle, the status bar with the message pane and four indicator panes
// along the bottom, and a caption that joins the document title and the
// window title. Commands run through the table's handlers on the selected row.
class CMainFrame : public QMainWindow {
public:
    explicit CMainFrame(QWidget* pParent = nullptr);
    ~CMainFrame() override;

    void SetDocument(COrvixDoc* pDoc);
    // The default parameters and their INI file, for the commands that use them.
    void SetParamFile(CParamFile* pParamFile) { m_pParamFile = pParamFile; }
    // Every registry change: the node list, its title and the caption.
    void UpdateFromDocument();

    // First pane of the status bar; UTF-8. Kept while a menu shows its prompts.
    void SetStatusText(const std::string& strText);
    // What the first pane shows now.
    QString GetStatusText() const;
    // The counts of the last search (UTF-8), in a pane of their own after the
    // message pane; the pane appears with the first search.
    void SetSearchCounts(const std::string& strText);

    COrvixView* GetView() const { return m_pView; }
    // The main menu's item of a command; null when the menu has none.
    QAction* FindAction(int nId) const;
    // The node list's context menu, built once.
    QMenu* GetContextMenu() const { return m_pContextMenu; }
    // The network menu (its items after the third are the networks).
    QMenu* GetNetworkMenu() const { return m_pNetworkMenu; }

    // What the enable rules look at now.
    SCommandState GetCommandState() const;
    // Enables (and checks) the items of one menu from the current state; runs
    // whenever a menu opens, the network menu also rebuilding its networks.
    void UpdateMenu(QMenu* pMenu);
    // Runs a command as its menu item would: nothing when its rule disables it.
    void RunCommand(int nId);
    // While a command works the list and the menus take no input; the status
    // bar stays as it is, readable.
    void SetInputEnabled(bool bEnable);

    // A close asked for by ﾌｧｲﾙ → ｱﾌﾟﾘｹｰｼｮﾝの終了, a signal or the close box:
    // carried out at once, or remembered while a command runs and carried out
    // when it has ended. Meanwhile the command asks nobody: every question
    // gets the answer of its Escape, and open modal windows end that way.
    void RequestClose();
    bool IsClosePending() const { return m_bClosePending; }
    // Runs as the window closes for good: the UI closes its modeless windows.
    void SetClosingHook(std::function<void()> fn) { m_fnClosing = std::move(fn); }
    // Runs once the window has closed for good: the run ends.
    void SetClosedHook(std::function<void()> fn) { m_fnClosed = std::move(fn); }
    void ShowContextMenu(const QPoint& ptGlobal);

    // The indicator panes; blank while the platform does not report the locks.
    void SetKeyLocks(const SKeyLocks& locks);
    // Opens the help file with the desktop's program (tests put their own).
    using HelpOpener = std::function<bool(const std::string& strPath)>;
    void SetHelpOpener(HelpOpener fn) { m_fnHelpOpener = std::move(fn); }
    // Where the guide is looked for, first place first (tests put their own).
    void SetHelpPlaces(std::vector<std::string> vecPlaces) {
        m_vecHelpPlaces = std::move(vecPlaces);
    }
    // The guide's places of this program: beside it, then an installed copy's.
    static std::vector<std::string> DefaultHelpPlaces();
    // A second start asked for this window.
    void ComeForward();

    static constexpr int FRAME_WIDTH = 620;
    static constexpr int FRAME_HEIGHT = 320;
    static constexpr int INDICATOR_COUNT = 4;
    // How often an open operation-log window looks for new entries.
    static constexpr int OPLOG_REFRESH_MS = 1000;

protected:
    bool event(QEvent* pEvent) override;
    void closeEvent(QCloseEvent* pEvent) override;
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;

private:
    // Builds one level of a menu from entries starting at nPos; returns the
    // position after the level's End.
    size_t BuildMenu(QMenu* pMenu, const std::vector<SMenuEntry>& vecEntries, size_t nPos,
                     bool bContext, std::map<int, QAction*>* pMapActions);
    QMenu* NewMenu(const QString& strTitle, QWidget* pParent, bool bTopLevel);
    QAction* NewCommandAction(int nId, bool bContext, QObject* pParent);
    void RebuildNetworkItems();
    void ShowPrompt(const QAction* pAction);
    void RestorePaneText();
    void RefreshKeyLocks();
    void ShowVersionBox();
    void OpenHelp();
    void RunCommandNow(const SCommand& cmd);
    void KeepClosePending();

    COrvixDoc* m_pDoc = nullptr;
    CParamFile* m_pParamFile = nullptr;
    COrvixView* m_pView;
    QLabel* m_pMessagePane = nullptr;
    QLabel* m_pCountsPane = nullptr; // none before the first search
    std::vector<QLabel*> m_vecIndicators;
    QString m_strPaneText; // the pane's own text, under any prompt
    std::map<int, QAction*> m_mapActions;
    QMenu* m_pNetworkMenu = nullptr;
    QMenu* m_pContextMenu = nullptr;
    HelpOpener m_fnHelpOpener;
    std::vector<std::string> m_vecHelpPlaces;
    bool m_bKeyLocksQueued = false;
    int m_nCommandDepth = 0;
    bool m_bClosePending = false;
    std::function<void()> m_fnClosing;
    std::function<void()> m_fnClosed;
};
