#pragma once
// The real main window over a document on the in-memory socket, with the Qt
// pump and UI, for tests that drive the window as an operator would.
#include "MemoryDatagramSocket.h"
#include "ScratchDir.h"
#include "doc/OrvixDoc.h"
#include "gui/MainFrame.h"
#include "gui/OrvixView.h"
#include "gui/QtMessagePump.h"
#include "gui/QtUi.h"
#include "params/ParamFile.h"
#include "platform/Clock.h"
#include "platform/IpText.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

class CFrameFixture : public ::testing::Test {
protected:
    CFrameFixture() : m_ui(&m_frame) {
        std::memset(&m_paramFile.m_param, 0, sizeof m_paramFile.m_param);
        m_frame.SetParamFile(&m_paramFile);
    }
    ~CFrameFixture() override {
        m_frame.SetDocument(nullptr);
        m_pDoc.reset();
    }

    // The document on strDataPath (empty: no file), shown in the window.
    COrvixDoc& OpenDoc(const std::string& strDataPath = "") {
        m_frame.SetDocument(nullptr);
        m_pDoc.reset();
        auto pSocket = std::make_unique<CMemoryDatagramSocket>();
        m_pSocket = pSocket.get();
        m_pDoc = std::make_unique<COrvixDoc>(
            SDocEnv{m_ui, m_pump, m_clock, m_settings, m_paramFile.m_param, strDataPath},
            std::move(pSocket));
        m_frame.SetDocument(m_pDoc.get());
        m_pDoc->UpdateAllViews();
        return *m_pDoc;
    }

    // A current network with nodes of the given MACs and dotted addresses.
    void AddNetwork(const std::string& strName,
                    const std::vector<std::pair<std::string, std::string>>& vecNodes) {
        m_pDoc->AddNetwork(strName, 0xFFFFFF00u, 0x02020202u);
        for (const auto& [strMac, strIp] : vecNodes) {
            m_pDoc->AddOrUpdateNode(0, ParseIpHost(strIp), strMac, true, "", "");
        }
    }

    COrvixView& View() { return *m_frame.GetView(); }

    // Acts on the next message box as soon as it is up, from Qt's own loop.
    // A box that never comes leaves nothing behind for the next test.
    void WhenMessageBoxShows(std::function<void(QMessageBox&)> fn) {
        auto pTimer = std::make_unique<QTimer>();
        QTimer* pRaw = pTimer.get();
        QObject::connect(pRaw, &QTimer::timeout, [pRaw, fn] {
            if (auto* pBox = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                pRaw->stop();
                fn(*pBox);
            }
        });
        pRaw->start(10);
        m_vecTimers.push_back(std::move(pTimer));
    }

    void SelectRow(int nRow) { View().setCurrentIndex(View().model()->index(nRow, 0)); }

    // One column of the list, top to bottom.
    QStringList Column(int nColumn) {
        QStringList list;
        for (int i = 0; i < View().GetRowCount(); ++i) {
            list << View().GetCellText(i, nColumn);
        }
        return list;
    }

    // The MACs of the current network's nodes in their order.
    std::vector<std::string> NetworkMacs() {
        std::vector<std::string> vec;
        for (const COXParam& node : m_pDoc->m_pCurNet->m_arrNodes) {
            vec.push_back(node.m_strMac);
        }
        return vec;
    }

    // A top-level menu of the menu bar by its title.
    QMenu* MenuTitled(const char* pszTitle) {
        for (QAction* pAction : m_frame.menuBar()->actions()) {
            if (pAction->text() == QString::fromUtf8(pszTitle)) {
                return pAction->menu();
            }
        }
        return nullptr;
    }

    CScratchDir m_dir; // for data files; outlives the document
    CSystemClock m_clock;
    CQtMessagePump m_pump;
    CMainFrame m_frame;
    CQtUi m_ui;
    SAppSettings m_settings;
    CParamFile m_paramFile;
    std::vector<std::unique_ptr<QTimer>> m_vecTimers;
    CMemoryDatagramSocket* m_pSocket = nullptr; // the document's
    std::unique_ptr<COrvixDoc> m_pDoc;
};

// The box's button that reads strText, else null.
inline QAbstractButton* MessageButton(QMessageBox& box, const char* pszText) {
    for (QAbstractButton* pButton : box.buttons()) {
        if (pButton->text() == QString::fromUtf8(pszText)) {
            return pButton;
        }
    }
    return nullptr;
}

// Readable failures.
inline void PrintTo(const QString& str, std::ostream* pOut) {
    *pOut << '"' << str.toStdString() << '"';
}
