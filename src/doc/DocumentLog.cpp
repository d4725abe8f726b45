// The document's part of the operation log: each change to a node or to the
// registry, with the current network, becomes one line.
#include "doc/FtpRun.h"
#include "doc/OperationLog.h"
#include "doc/OrvixDoc.h"
#include "platform/Cp932.h"
#include "platform/IpText.h"
#include "res/Texts.h"
#include "ui/Ui.h"

#include <cstring>

void COrvixDoc::LogOperation(const char* pszOperation, const std::string& strMac, uint32_t dwIp,
                             const char* pszOutcome, const std::string& strMessage) {
    if (m_env.pLog == nullptr) {
        return;
    }
    SOperationEntry entry;
    if (const CNetProperty* pNet = CurrentNetwork()) {
        entry.strNetwork = Cp932ToUtf8Lossy(pNet->m_strName);
    }
    entry.strMac = strMac;
    entry.strIp = dwIp != 0 ? FormatIpHost(dwIp) : "";
    entry.strOperation = pszOperation;
    entry.strOutcome = pszOutcome;
    // The FTP account of the last exchange never reaches the log, whatever
    // text carried it ("(none)" stands for no account).
    const std::string& strUser = m_pSocket->m_strFtpUser;
    entry.strMessage =
        MaskFtpAccount(strMessage, strUser == "(none)" ? "" : strUser, m_pSocket->m_strFtpPassword);
    int nErr = m_env.pLog->Write(entry);
    if (nErr != 0 && m_env.pLog->TakeNotice()) {
        std::string strText(std::strlen(TXT_OPLOG_NOT_WRITTEN) + m_env.pLog->GetPath().size() + 256,
                            '\0');
        int nLen = std::snprintf(strText.data(), strText.size(), TXT_OPLOG_NOT_WRITTEN,
                                 m_env.pLog->GetPath().c_str(), std::strerror(nErr));
        strText.resize(nLen > 0 ? static_cast<size_t>(nLen) : 0);
        m_env.ui.ShowNotice(strText);
    }
}

void COrvixDoc::LogNodeOperation(const char* pszOperation, int nIndex, const char* pszOutcome,
                                 const std::string& strMessage) {
    const COXParam* pNode = GetNode(nIndex);
    if (pNode == nullptr) {
        return;
    }
    // Copied: the log may not keep a pointer into the rows.
    const std::string strMac = pNode->m_strMac;
    LogOperation(pszOperation, strMac, pNode->m_dwIp, pszOutcome, strMessage);
}
