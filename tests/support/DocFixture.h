#pragma once
// A document on the in-memory socket, virtual time and the scripted UI.
#include "ScriptedUi.h"
#include "MemoryDatagramSocket.h"
#include "TestClock.h"
#include "VirtualTimePump.h"
#include "doc/OrvixDoc.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

class CDocFixture : public ::testing::Test {
protected:
    CDocFixture() : m_pump(m_clock) { std::memset(&m_defParam, 0, sizeof m_defParam); }

    // Builds the document; tests may adjust the socket through the hook first.
    COrvixDoc& MakeDoc(bool bFailBind = false) {
        auto pSocket = std::make_unique<CMemoryDatagramSocket>();
        pSocket->SetFailBind(bFailBind);
        m_pSocket = pSocket.get();
        m_pDoc = std::make_unique<COrvixDoc>(
            SDocEnv{m_ui, m_pump, m_clock, m_settings, m_defParam, ""}, std::move(pSocket));
        return *m_pDoc;
    }

    // A current network "NET" with nodes of the given MACs and addresses.
    void AddNetworkWithNodes(const std::vector<std::pair<std::string, uint32_t>>& vecNodes) {
        m_pDoc->AddNetwork("NET", 0xFFFFFF00u, 0x02020202u);
        for (const auto& [strMac, dwIp] : vecNodes) {
            m_pDoc->AddOrUpdateNode(0, dwIp, strMac, true, "", "");
        }
    }

    const std::vector<CMemoryDatagramSocket::SDatagram>& Sent() const { return m_pSocket->GetSent(); }

    CScriptedUi m_ui;
    CTestClock m_clock;
    CVirtualTimePump m_pump;
    SAppSettings m_settings;
    NODEPARAM m_defParam;
    CMemoryDatagramSocket* m_pSocket = nullptr;
    std::unique_ptr<COrvixDoc> m_pDoc;
};

using Bytes = std::vector<uint8_t>;
