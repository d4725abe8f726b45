#pragma once
#include <QDialog>

class QLabel;
class QPushButton;

// The version box: the application icon, the version line and one more line.
class CAboutDlg : public QDialog {
public:
    explicit CAboutDlg(QWidget* pParent = nullptr);

    QLabel* GetIconLabel() const { return m_pIcon; }
    QLabel* GetVersionLabel() const { return m_pVersion; }
    QLabel* GetSecondLabel() const { return m_pSecond; }
    QPushButton* GetOkButton() const { return m_pOk; }

private:
    QLabel* m_pIcon;
    QLabel* m_pVersion;
    QLabel* m_pSecond;
    QPushButton* m_pOk;
};
