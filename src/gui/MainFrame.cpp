#include "gui/MainFrame.h"

#include "doc/OrvixDoc.h"
#include "gui/AboutDlg.h"
#include "gui/AppIcon.h"
#include "gui/InstanceChannel.h"
#include "gui/OrvixView.h"
#include "ops/OperationLogDlg.h"
#include "platform/Cp932.h"
#include "platform/ModulePath.h"
#include "res/ShellTexts.h"
#include "res/Texts.h"
#include "ui/Ui.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QScopeGuard>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTimer>

namespace {
QString FromUtf8(const char* psz) {
    return QString::fromUtf8(psz != nullptr ? psz : "");
}

// A command item's id; 0 for a submenu's item, a separator or a network.
int CommandIdOf(const QAction* pAction) {
    return pAction->property("orvixCommand").toInt();
}
} // namespace

CMainFrame::CMainFrame(QWidget* pParent) : QMainWindow(pParent), m_pView(new COrvixView(this)) {
    // A second start asks the running copy for this window.
    setObjectName("OrvixManager");
    if (QApplication::windowIcon().isNull()) {
        QApplication::setWindowIcon(LoadAppIcon());
    }
    setWindowIcon(QApplication::windowIcon());
    resize(FRAME_WIDTH, FRAME_HEIGHT);
    setCentralWidget(m_pView);
    m_pView->SetCommandSink([this](int nId) { RunCommand(nId); });
    m_pView->SetContextMenuSink([this](const QPoint& pt) { ShowContextMenu(pt); });

    // Menus: the main menu, then the node list's context menu.
    const std::vector<SMenuEntry>& vecMain = GetMainMenu();
    for (size_t nPos = 0; nPos < vecMain.size();) {
        const SMenuEntry& entry = vecMain[nPos];
        if (entry.eKind != SMenuEntry::Popup) {
            ++nPos;
            continue;
        }
        QMenu* pMenu = NewMenu(FromUtf8(entry.pszText), this, true);
        menuBar()->addMenu(pMenu);
        if (nPos + 1 < vecMain.size() && vecMain[nPos + 1].eKind == SMenuEntry::Command &&
            vecMain[nPos + 1].nId == ID_NETWORK_NEW) {
            m_pNetworkMenu = pMenu;
        }
        nPos = BuildMenu(pMenu, vecMain, nPos + 1, false, &m_mapActions);
    }
    m_pContextMenu = NewMenu(QString(), this, true);
    BuildMenu(m_pContextMenu, ::GetContextMenu(), 0, true, nullptr);

    // Status bar: the message pane, then the lock indicators.
    m_strPaneText = FromUtf8(TXT_STATUS_READY);
    m_pMessagePane = new QLabel(m_strPaneText, this);
    m_pMessagePane->setObjectName("MessagePane");
    statusBar()->addWidget(m_pMessagePane, 1);
    for (const char* pszIndicator :
         {TXT_INDICATOR_KANA, TXT_INDICATOR_CAPS, TXT_INDICATOR_NUM, TXT_INDICATOR_SCRL}) {
        // Sized for its text, shown while its key is locked on.
        auto* pPane = new QLabel(this);
        pPane->setObjectName(FromUtf8(pszIndicator));
        pPane->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        pPane->setMinimumWidth(pPane->fontMetrics().horizontalAdvance(FromUtf8(pszIndicator)) + 8);
        statusBar()->addPermanentWidget(pPane);
        m_vecIndicators.push_back(pPane);
    }
    qApp->installEventFilter(this);

    // The operation log's window follows the log while it is open, whoever writes it.
    auto* pLogTimer = new QTimer(this);
    connect(pLogTimer, &QTimer::timeout, this, [this] {
        if (m_pDoc != nullptr && OperationLogWindow().IsOpen()) {
            OperationLogWindow().Refresh(m_pDoc->GetEnv().ui);
        }
    });
    pLogTimer->start(OPLOG_REFRESH_MS);

    m_vecHelpPlaces = DefaultHelpPlaces();
    m_fnHelpOpener = [this](const std::string& strPath) {
        return m_pDoc != nullptr && m_pDoc->GetEnv().ui.OpenWithDesktop(strPath);
    };
    UpdateFromDocument();
}

CMainFrame::~CMainFrame() {
    qApp->removeEventFilter(this);
}

void CMainFrame::SetDocument(COrvixDoc* pDoc) {
    m_pDoc = pDoc;
    m_pView->SetDocument(pDoc);
}

QMenu* CMainFrame::NewMenu(const QString& strTitle, QWidget* pParent, bool bTopLevel) {
    auto* pMenu = new QMenu(strTitle, pParent);
    connect(pMenu, &QMenu::aboutToShow, this, [this, pMenu] { UpdateMenu(pMenu); });
    connect(pMenu, &QMenu::hovered, this, [this](QAction* pAction) { ShowPrompt(pAction); });
    if (bTopLevel) {
        // The whole menu closed: the pane shows its own text again.
        connect(pMenu, &QMenu::aboutToHide, this, [this] { RestorePaneText(); });
    }
    return pMenu;
}

QAction* CMainFrame::NewCommandAction(int nId, bool bContext, QObject* pParent) {
    const SCommand* pCmd = FindCommand(nId);
    const char* pszLabel = pCmd == nullptr ? "" : pCmd->pszLabel;
    if (bContext && pCmd != nullptr && pCmd->pszPopupLabel != nullptr) {
        pszLabel = pCmd->pszPopupLabel;
    }
    auto* pAction = new QAction(FromUtf8(pszLabel), pParent);
    pAction->setProperty("orvixCommand", nId);
    pAction->setData(nId);
    pAction->setStatusTip(FromUtf8(pCmd == nullptr ? nullptr : pCmd->pszPrompt));
    if (nId == ID_HELP) {
        pAction->setShortcut(QKeySequence(Qt::Key_F1));
        pAction->setShortcutContext(Qt::ApplicationShortcut);
    }
    if (nId == ID_VIEW_STATUS_BAR) {
        pAction->setCheckable(true);
        pAction->setChecked(true);
    }
    connect(pAction, &QAction::triggered, this, [this, nId] { RunCommand(nId); });
    return pAction;
}

size_t CMainFrame::BuildMenu(QMenu* pMenu, const std::vector<SMenuEntry>& vecEntries, size_t nPos,
                             bool bContext, std::map<int, QAction*>* pMapActions) {
    while (nPos < vecEntries.size()) {
        const SMenuEntry& entry = vecEntries[nPos++];
        switch (entry.eKind) {
        case SMenuEntry::End:
            return nPos;
        case SMenuEntry::Separator:
            pMenu->addSeparator();
            break;
        case SMenuEntry::Popup: {
            QMenu* pSub = NewMenu(FromUtf8(entry.pszText), pMenu, false);
            pMenu->addMenu(pSub);
            nPos = BuildMenu(pSub, vecEntries, nPos, bContext, pMapActions);
            break;
        }
        case SMenuEntry::Command: {
            QAction* pAction = NewCommandAction(entry.nId, bContext, pMenu);
            pMenu->addAction(pAction);
            if (pMapActions != nullptr) {
                (*pMapActions)[entry.nId] = pAction;
            }
            break;
        }
        }
    }
    return nPos;
}

QAction* CMainFrame::FindAction(int nId) const {
    auto it = m_mapActions.find(nId);
    return it == m_mapActions.end() ? nullptr : it->second;
}

SCommandState CMainFrame::GetCommandState() const {
    SCommandState state;
    if (m_pDoc == nullptr) {
        return state;
    }
    state.bNetwork = m_pDoc->m_pCurNet != nullptr;
    state.nRows = static_cast<size_t>(m_pView->GetRowCount());
    int nSelected = m_pView->GetSelectedIndex();
    if (nSelected >= 0 && state.bNetwork &&
        static_cast<size_t>(nSelected) < m_pDoc->m_pCurNet->m_arrNodes.size()) {
        state.pSelected = &m_pDoc->m_pCurNet->m_arrNodes[static_cast<size_t>(nSelected)];
    }
    return state;
}

void CMainFrame::UpdateMenu(QMenu* pMenu) {
    if (pMenu == m_pNetworkMenu) {
        RebuildNetworkItems();
    }
    SCommandState state = GetCommandState();
    for (QAction* pAction : pMenu->actions()) {
        int nId = CommandIdOf(pAction);
        const SCommand* pCmd = nId != 0 ? FindCommand(nId) : nullptr;
        if (pCmd == nullptr) {
            continue;
        }
        pAction->setEnabled(IsCommandEnabled(pCmd->eEnable, state));
        if (nId == ID_VIEW_STATUS_BAR) {
            pAction->setChecked(!statusBar()->isHidden());
        }
    }
}

void CMainFrame::RebuildNetworkItems() {
    QList<QAction*> listActions = m_pNetworkMenu->actions();
    for (qsizetype i = 3; i < listActions.size(); ++i) {
        m_pNetworkMenu->removeAction(listActions[i]);
        listActions[i]->deleteLater();
    }
    if (m_pDoc == nullptr || m_pDoc->m_arrNets.empty()) {
        return;
    }
    m_pNetworkMenu->addSeparator();
    for (size_t i = 0; i < m_pDoc->m_arrNets.size(); ++i) {
        CNetProperty& net = *m_pDoc->m_arrNets[i];
        net.m_nMenuId = NET_MENU_ID_BASE + static_cast<uint32_t>(i);
        // A network's name is its text: an '&' in it is no access key.
        QString strName = QString::fromStdString(Cp932ToUtf8Lossy(net.m_strName));
        strName.replace(QLatin1Char('&'), QStringLiteral("&&"));
        auto* pAction = new QAction(strName, m_pNetworkMenu);
        uint32_t nMenuId = net.m_nMenuId;
        pAction->setData(static_cast<int>(nMenuId));
        pAction->setCheckable(true);
        pAction->setChecked(static_cast<int>(i) == m_pDoc->m_nCurNet);
        connect(pAction, &QAction::triggered, this, [this, nMenuId] {
            if (m_pDoc != nullptr) {
                m_pDoc->SelectNetwork(nMenuId);
            }
        });
        m_pNetworkMenu->addAction(pAction);
    }
}

void CMainFrame::RunCommand(int nId) {
    const SCommand* pCmd = FindCommand(nId);
    if (pCmd == nullptr || !IsCommandEnabled(pCmd->eEnable, GetCommandState())) {
        return;
    }
    if (nId == ID_APP_EXIT) {
        // As a close of the window: the run ends and the document saves.
        RequestClose();
        return;
    }
    {
        ++m_nCommandDepth;
        const auto leave = qScopeGuard([this] { --m_nCommandDepth; });
        RunCommandNow(*pCmd);
    }
    // A close that came while the command ran is carried out now it has ended.
    if (m_nCommandDepth == 0 && m_bClosePending) {
        close();
    }
}

void CMainFrame::RunCommandNow(const SCommand& cmd) {
    switch (cmd.nId) {
    case ID_VIEW_STATUS_BAR:
        statusBar()->setVisible(statusBar()->isHidden());
        if (QAction* pAction = FindAction(ID_VIEW_STATUS_BAR)) {
            pAction->setChecked(!statusBar()->isHidden());
        }
        return;
    case ID_APP_ABOUT:
        ShowVersionBox();
        return;
    case ID_HELP:
        OpenHelp();
        return;
    default:
        break;
    }
    if (!cmd.fnHandler || m_pDoc == nullptr || m_pParamFile == nullptr) {
        return;
    }
    SCommandContext ctx{*m_pDoc, *m_pParamFile, m_pView->GetSelectedIndex()};
    cmd.fnHandler(ctx);
}

void CMainFrame::SetInputEnabled(bool bEnable) {
    m_pView->setEnabled(bEnable);
    menuBar()->setEnabled(bEnable);
}

void CMainFrame::RequestClose() {
    if (m_nCommandDepth > 0) {
        KeepClosePending();
        return;
    }
    close();
}

void CMainFrame::KeepClosePending() {
    m_bClosePending = true;
    // The modal windows up now end as by Escape, innermost first.
    QWidget* pLast = nullptr;
    while (auto* pDialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
        if (pDialog == pLast) {
            break; // it would not close
        }
        pLast = pDialog;
        pDialog->done(QDialog::Rejected);
    }
}

void CMainFrame::closeEvent(QCloseEvent* pEvent) {
    // Never half of a command: its end carries the close out.
    if (m_nCommandDepth > 0) {
        pEvent->ignore();
        KeepClosePending();
        return;
    }
    m_bClosePending = false;
    if (m_fnClosing) {
        m_fnClosing();
    }
    pEvent->accept();
    if (m_fnClosed) {
        m_fnClosed();
    }
}

void CMainFrame::ShowContextMenu(const QPoint& ptGlobal) {
    m_pContextMenu->popup(ptGlobal);
}

void CMainFrame::ShowVersionBox() {
    CAboutDlg dlg(this);
    dlg.exec();
}

std::vector<std::string> CMainFrame::DefaultHelpPlaces() {
    const std::string strDir = GetModulePath().strDir;
    if (strDir.empty()) {
        return {};
    }
    std::vector<std::string> vec;
    for (const char* pszPlace : {TXT_HELP_BESIDE_PROGRAM, TXT_HELP_INSTALLED}) {
        QString strPath = QDir::cleanPath(QFile::decodeName((strDir + pszPlace).c_str()));
        vec.push_back(QFile::encodeName(strPath).toStdString());
    }
    return vec;
}

void CMainFrame::OpenHelp() {
    // A dead menu item tells an operator nothing: a guide that is missing, or
    // that nothing could open, is said with where it was looked for.
    auto Say = [this](const char* pszText, const std::vector<std::string>& vecPaths) {
        std::string strText = pszText;
        for (const std::string& strPath : vecPaths) {
            strText += "\n" + strPath;
        }
        if (m_pDoc != nullptr) {
            m_pDoc->GetEnv().ui.ShowMessage(strText, EMsgButtons::Ok, EMsgIcon::Information);
        } else {
            QMessageBox::information(this, FromUtf8(TXT_APP_TITLE),
                                     QString::fromStdString(strText));
        }
    };
    for (const std::string& strPath : m_vecHelpPlaces) {
        if (QFileInfo(QFile::decodeName(strPath.c_str())).isFile()) {
            if (!m_fnHelpOpener || !m_fnHelpOpener(strPath)) {
                Say(TXT_HELP_NOT_OPENED, {strPath});
            }
            return;
        }
    }
    Say(TXT_HELP_MISSING, m_vecHelpPlaces);
}

void CMainFrame::ComeForward() {
    BringWindowForward(this);
}

void CMainFrame::UpdateFromDocument() {
    m_pView->OnUpdate();
    std::string strCaption = m_pView->GetTitle() + " - " + TXT_WINDOW_TITLE;
    QString strTitle = QString::fromStdString(strCaption);
    // "[*]" in a network's name is text, not the modified-marker placeholder.
    strTitle.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
    setWindowTitle(strTitle);
}

void CMainFrame::SetStatusText(const std::string& strText) {
    m_strPaneText = QString::fromStdString(strText);
    m_pMessagePane->setText(m_strPaneText);
}

QString CMainFrame::GetStatusText() const {
    return m_pMessagePane->text();
}

void CMainFrame::SetSearchCounts(const std::string& strText) {
    if (m_pCountsPane == nullptr) {
        m_pCountsPane = new QLabel(this);
        m_pCountsPane->setObjectName("SearchCountsPane");
        m_pCountsPane->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        statusBar()->insertWidget(1, m_pCountsPane);
    }
    m_pCountsPane->setText(QString::fromStdString(strText));
    m_pCountsPane->show();
}

void CMainFrame::ShowPrompt(const QAction* pAction) {
    // A submenu's own item has no prompt: the pane is empty while it is highlighted.
    m_pMessagePane->setText(pAction != nullptr && CommandIdOf(pAction) != 0 ? pAction->statusTip()
                                                                            : QString());
}

void CMainFrame::RestorePaneText() {
    m_pMessagePane->setText(m_strPaneText);
}

bool CMainFrame::event(QEvent* pEvent) {
    // Prompts go to the message pane (ShowPrompt), never over the whole bar.
    if (pEvent->type() == QEvent::StatusTip) {
        return true;
    }
    return QMainWindow::event(pEvent);
}

bool CMainFrame::eventFilter(QObject* pWatched, QEvent* pEvent) {
    switch (pEvent->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ApplicationActivate:
        RefreshKeyLocks();
        break;
    case QEvent::WindowActivate:
        if (pWatched == this) {
            RefreshKeyLocks();
        }
        break;
    default:
        break;
    }
    return QMainWindow::eventFilter(pWatched, pEvent);
}

void CMainFrame::RefreshKeyLocks() {
    // One key event reaches several objects: one read after all of them.
    if (m_bKeyLocksQueued) {
        return;
    }
    m_bKeyLocksQueued = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_bKeyLocksQueued = false;
            SetKeyLocks(ReadKeyLocks());
        },
        Qt::QueuedConnection);
}

void CMainFrame::SetKeyLocks(const SKeyLocks& locks) {
    const bool arrOn[] = {locks.bKana, locks.bCaps, locks.bNum, locks.bScroll};
    for (size_t i = 0; i < m_vecIndicators.size(); ++i) {
        QLabel* pPane = m_vecIndicators[i];
        pPane->setText(locks.bKnown && arrOn[i] ? pPane->objectName() : QString());
    }
}
