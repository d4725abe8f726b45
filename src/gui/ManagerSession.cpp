#include "gui/ManagerSession.h"

#include "app/OrvixApp.h"
#include "doc/OperationLog.h"
#include "doc/OrvixDoc.h"
#include "gui/RecentFiles.h"
#include "ops/SearchInterface.h"
#include "res/Texts.h"

CManagerSession::CManagerSession(COrvixApp& app) : m_app(app), m_ui(&m_frame) {
    m_frame.SetParamFile(&m_app.m_paramFile);
    if (std::string strLog = GetOperationLogPath(); !strLog.empty()) {
        m_pLog = std::make_unique<COperationLog>(TXT_PROGRAM_NAME, strLog);
    }
}

CManagerSession::~CManagerSession() {
    m_pDoc.reset();
    m_frame.SetDocument(nullptr);
}

COrvixDoc& CManagerSession::OpenDocument(const std::string& strDataPath,
                                         std::unique_ptr<CDatagramSocket> pSocket) {
    m_frame.SetDocument(nullptr);
    m_pDoc.reset();
    // Loads the data file, and reports a taken port itself, once; the manager
    // runs on without node communication then.
    SDocEnv env{m_ui, m_pump, m_clock, m_app.m_settings, m_app.GetDefaultParam(), strDataPath};
    env.pLog = m_pLog.get();
    m_pDoc = std::make_unique<COrvixDoc>(env, std::move(pSocket));
    m_frame.SetDocument(m_pDoc.get());
    m_pDoc->UpdateAllViews();
    return *m_pDoc;
}

void CManagerSession::UseSystemInterfaces() {
    if (m_pDoc == nullptr) {
        return;
    }
    ::UseSystemInterfaces(*m_pDoc);
    CNodeSocket& socket = m_pDoc->GetSocket();
    socket.SetInterfaceChoice(ReadSearchInterface(*OpenUserSettings()).toStdString());
    socket.SetInterfaceChoiceSink([](const std::string& strName) {
        WriteSearchInterface(*OpenUserSettings(), QString::fromStdString(strName));
    });
}
