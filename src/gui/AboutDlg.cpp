#include "gui/AboutDlg.h"

#include "res/ShellTexts.h"
#include "res/Texts.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

CAboutDlg::CAboutDlg(QWidget* pParent)
    : QDialog(pParent), m_pIcon(new QLabel(this)),
      m_pVersion(new QLabel(QString::fromUtf8(TXT_ABOUT_VERSION), this)),
      m_pSecond(new QLabel(QString::fromUtf8(TXT_ABOUT_SECOND_LINE), this)),
      m_pOk(new QPushButton(QString::fromUtf8(TXT_BUTTON_OK), this)) {
    setObjectName("CAboutDlg");
    setWindowTitle(QString::fromUtf8(TXT_ABOUT_TITLE));
    setModal(true);
    m_pIcon->setObjectName("AboutIcon");
    m_pIcon->setPixmap(QApplication::windowIcon().pixmap(32, 32));
    m_pIcon->setFixedSize(32, 32);
    m_pVersion->setTextFormat(Qt::PlainText);
    m_pSecond->setTextFormat(Qt::PlainText);
    m_pOk->setDefault(true);
    connect(m_pOk, &QPushButton::clicked, this, &QDialog::accept);

    auto* pLayout = new QGridLayout(this);
    pLayout->setHorizontalSpacing(16);
    pLayout->addWidget(m_pIcon, 0, 0, 2, 1, Qt::AlignTop);
    pLayout->addWidget(m_pVersion, 0, 1);
    pLayout->addWidget(m_pSecond, 1, 1);
    pLayout->addWidget(m_pOk, 0, 2, Qt::AlignTop);
    setFixedSize(sizeHint());
}
