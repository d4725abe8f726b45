#pragma once
// mrvctl's commands run on a document over the in-memory socket: network
// LINE-A (192.168.1.0/24, gateway .1) with node MAC1 on IP1 and MAC2 without an
// address, nodes answering as CNodeResponder does, the defaults in a scratch
// DefParam.ini that does not exist yet.
#include "MemoryDatagramSocket.h"
#include "NodeResponder.h"
#include "ScratchDir.h"
#include "TestClock.h"
#include "VirtualTimePump.h"
#include "cli/CtlArgs.h"
#include "cli/CtlCommands.h"
#include "cli/CtlUi.h"
#include "doc/OrvixDoc.h"
#include "params/ParamFile.h"
#include "platform/StopRequest.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

inline const std::string MAC1 = "0080C8000001"; // 192.168.1.10
inline const std::string MAC2 = "0080C8000002"; // no address
constexpr uint32_t IP1 = 0xC0A8010Au;
constexpr uint32_t UNSET = 0xC0A8C8FEu;

class CCtlFixture : public ::testing::Test {
protected:
    CCtlFixture() : m_pump(m_clock) {}

    void SetUp() override {
        m_paramFile.m_strPath = m_dir.File("DefParam.ini");
        m_paramFile.LoadParams(); // a missing file: the built-in defaults
        auto pSocket = std::make_unique<CMemoryDatagramSocket>();
        m_pSocket = pSocket.get();
        m_pDoc = std::make_unique<COrvixDoc>(
            SDocEnv{m_ui, m_pump, m_clock, m_settings, m_paramFile.m_param, "", true, &m_stop},
            std::move(pSocket));
        m_pDoc->AddNetwork("LINE-A", 0xFFFFFF00u, 0xC0A80101u);
        m_pDoc->AddOrUpdateNode(0, IP1, MAC1, true, "SN-1", "");
        m_pDoc->AddOrUpdateNode(0, UNSET, MAC2, true, "SN-2", "");
        m_pNodes = std::make_unique<CNodeResponder>(*m_pSocket);
    }

    // Parses and runs one command line; returns its exit status.
    int Run(std::vector<std::string> vecArgs) {
        vecArgs.insert(vecArgs.begin(), "mrvctl");
        std::string strError;
        EXPECT_EQ(ParseCtlArgs(vecArgs, m_args, strError), 0) << strError;
        m_result = SCtlResult();
        SCtlContext ctx{*m_pDoc, m_paramFile, m_ui, m_args, m_result};
        RunCtlCommand(ctx);
        return m_ui.GetExit();
    }

    // Runs one more command line; returns the status of that command alone.
    int RunNext(std::vector<std::string> vecArgs) {
        size_t nMark = m_ui.GetMessages().size();
        Run(std::move(vecArgs));
        return m_ui.GetExitSince(nMark);
    }

    std::vector<std::string> Texts() const {
        std::vector<std::string> vec;
        for (const CCtlUi::SMessage& message : m_ui.GetMessages()) {
            vec.push_back(message.strText);
        }
        return vec;
    }
    size_t NodeCount() const { return m_pDoc->m_arrNets[0]->m_arrNodes.size(); }

    CScratchDir m_dir;
    CCtlUi m_ui;
    CTestClock m_clock;
    CVirtualTimePump m_pump;
    SAppSettings m_settings;
    CStopRequest m_stop; // what a front end asks of the running command
    CParamFile m_paramFile;
    CMemoryDatagramSocket* m_pSocket = nullptr;
    std::unique_ptr<COrvixDoc> m_pDoc;
    std::unique_ptr<CNodeResponder> m_pNodes;
    SCtlArgs m_args;
    SCtlResult m_result;
};
