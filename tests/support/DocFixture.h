#pragma once
// A document on the in-memory socket with the strict scripted UI, on the
// clock and pump a test chooses: virtual time by default, real time or the Qt
// pump where a test is about waiting itself.
#include "MemoryDatagramSocket.h"
#include "ScriptedUi.h"
#include "TestClock.h"
#include "VirtualTimePump.h"
#include "doc/OrvixDoc.h"
#include "platform/StopRequest.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

template <typename TClock, typename TPump> class CDocFixtureOn : public ::testing::Test {
protected:
    CDocFixtureOn() : m_pump(MakePump(m_clock)) { std::memset(&m_defParam, 0, sizeof m_defParam); }

    // The document closes (and saves, with a data path) before the UI checks
    // that every expected message and dialog came.
    void TearDown() override {
        m_pDoc.reset();
        m_ui.VerifyAllConsumed();
    }

    // Builds the document on m_strDataPath; tests may adjust the socket through
    // m_pSocket afterwards.
    COrvixDoc& MakeDoc(bool bFailBind = false) {
        auto pSocket = std::make_unique<CMemoryDatagramSocket>();
        pSocket->SetFailBind(bFailBind);
        m_pSocket = pSocket.get();
        m_pDoc.reset();
        m_pDoc = std::make_unique<COrvixDoc>(
            SDocEnv{m_ui, m_pump, m_clock, m_settings, m_defParam, m_strDataPath, true, &m_stop},
            std::move(pSocket));
        return *m_pDoc;
    }

    // A current network "NET" with nodes of the given MACs and addresses.
    void AddNetworkWithNodes(const std::vector<std::pair<std::string, uint32_t>>& vecNodes) {
        m_pDoc->AddNetwork("NET", 0xFFFFFF00u, 0x02020202u);
        for (const auto& [strMac, dwIp] : vecNodes) {
            m_pDoc->AddOrUpdateNode(0, dwIp, strMac, true, "", "");
        }
    }

    const std::vector<CMemoryDatagramSocket::SDatagram>& Sent() const {
        return m_pSocket->GetSent();
    }

    CScriptedUi m_ui;
    TClock m_clock;
    TPump m_pump;
    SAppSettings m_settings;
    NODEPARAM m_defParam;
    std::string m_strDataPath; // empty: no data file
    CStopRequest m_stop;       // what a front end asks of the running operation
    CMemoryDatagramSocket* m_pSocket = nullptr;
    std::unique_ptr<COrvixDoc> m_pDoc;

private:
    // The virtual-time pump runs on the fixture's clock; the others stand alone.
    static TPump MakePump([[maybe_unused]] TClock& clock) {
        if constexpr (std::is_constructible_v<TPump, TClock&>) {
            return TPump(clock);
        } else {
            return TPump();
        }
    }
};

using CDocFixture = CDocFixtureOn<CTestClock, CVirtualTimePump>;

using Bytes = std::vector<uint8_t>;
