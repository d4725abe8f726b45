#include "gui/MainFrame.h"

#include "doc/OrvixDoc.h"
#include "platform/Cp932.h"
#include "res/ShellTexts.h"
#include "res/Texts.h"

#include <QLabel>
#include <QStatusBar>

CMainFrame::CMainFrame(QWidget* pParent) : QMainWindow(pParent) {
    // A second start looks for the running copy by this name.
    setObjectName("OrvixManager");
    resize(FRAME_WIDTH, FRAME_HEIGHT);
    // The node list view takes this place.
    setCentralWidget(new QWidget(this));

    m_pMessagePane = new QLabel(QString::fromUtf8(TXT_STATUS_READY), this);
    statusBar()->addWidget(m_pMessagePane, 1);
    for (const char* pszIndicator :
         {TXT_INDICATOR_KANA, TXT_INDICATOR_CAPS, TXT_INDICATOR_NUM, TXT_INDICATOR_SCRL}) {
        // Sized for its text, blank: the lock state of the keys is not known here.
        auto* pPane = new QLabel(this);
        pPane->setObjectName(QString::fromUtf8(pszIndicator));
        pPane->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        pPane->setMinimumWidth(
            pPane->fontMetrics().horizontalAdvance(QString::fromUtf8(pszIndicator)) + 8);
        statusBar()->addPermanentWidget(pPane);
    }
    UpdateFromDocument();
}

std::string CMainFrame::DocumentTitle(const COrvixDoc* pDoc) {
    if (pDoc == nullptr || pDoc->m_pCurNet == nullptr) {
        return TXT_NO_NETWORK_TITLE;
    }
    return Cp932ToUtf8Lossy(pDoc->m_pCurNet->m_strName);
}

void CMainFrame::UpdateFromDocument() {
    std::string strCaption = DocumentTitle(m_pDoc) + " - " + TXT_WINDOW_TITLE;
    QString strTitle = QString::fromUtf8(strCaption.c_str());
    // "[*]" in a network's name is text, not the modified-marker placeholder.
    strTitle.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
    setWindowTitle(strTitle);
}

void CMainFrame::SetStatusText(const std::string& strText) {
    m_pMessagePane->setText(QString::fromUtf8(strText.c_str()));
}

QString CMainFrame::GetStatusText() const {
    return m_pMessagePane->text();
}
