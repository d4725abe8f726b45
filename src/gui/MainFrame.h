#pragma once
#include <QMainWindow>

#include <string>

class COrvixDoc;
class QLabel;

// The main window: the node list in the middle (to come), the status bar with
// the message pane and four indicator panes along the bottom, and a caption
// that joins the document title and the window title.
class CMainFrame : public QMainWindow {
public:
    explicit CMainFrame(QWidget* pParent = nullptr);

    void SetDocument(COrvixDoc* pDoc) { m_pDoc = pDoc; }
    // Rebuilds what the window shows from the document; for now the caption.
    void UpdateFromDocument();

    // First pane of the status bar; UTF-8.
    void SetStatusText(const std::string& strText);
    QString GetStatusText() const;

    // The current network's name, or "ﾈｯﾄﾜｰｸ未選択" while none is current; UTF-8.
    static std::string DocumentTitle(const COrvixDoc* pDoc);

    static constexpr int FRAME_WIDTH = 620;
    static constexpr int FRAME_HEIGHT = 320;
    static constexpr int INDICATOR_COUNT = 4;

private:
    COrvixDoc* m_pDoc = nullptr;
    QLabel* m_pMessagePane = nullptr;
};
