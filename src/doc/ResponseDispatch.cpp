// Response dispatch: every datagram that reaches the endpoint is checked, then
// acted on by its response code and the pending state of the waiting operation.
#include "doc/OrvixDoc.h"
#include "doc/VersionInfoDlg.h"
#include "link/NodeResponse.h"
#include "platform/Clock.h"
#include "res/Texts.h"
#include "ui/Ui.h"

#include <cstdio>

std::string COrvixDoc::GetModeName(int nMode) {
    switch (nMode) {
    case 0:
        return TXT_MODE_NORMAL0;
    case 1:
        return TXT_MODE_NORMAL1;
    case 2:
        return TXT_MODE_NORMAL2;
    case 3:
        return TXT_MODE_NORMAL3;
    case 7:
        return TXT_MODE_SETUP;
    default:
        return TXT_MODE_UNDEFINED;
    }
}

void COrvixDoc::OnReceiveDatagram() {
    uint8_t abBuf[NODE_RECEIVE_BUFFER];
    std::string strAddr;
    uint16_t wPort = 0;
    int n = m_pSocket->ReceiveFrom(abBuf, sizeof abBuf, strAddr, wPort);
    SNodeResponse resp;
    if (n >= 0 && DecodeResponse(abBuf, static_cast<size_t>(n), strAddr, wPort, resp)) {
        DispatchResponse(resp);
    }
}

void COrvixDoc::DispatchQueuedDatagrams() {
    while (m_pSocket->HasQueued()) {
        OnReceiveDatagram();
    }
}

std::string COrvixDoc::AbnormalResponseText(const SNodeResponse& resp) {
    char szDetail[256];
    std::snprintf(szDetail, sizeof szDetail, TXT_ABNORMAL_DETAIL_FORMAT, resp.wCode,
                  resp.strMac.c_str(), resp.byModel, resp.byMode, resp.byResult);
    return std::string(TXT_ABNORMAL_RESPONSE) + "\n" + szDetail;
}

void COrvixDoc::ShowAbnormalResponse(const SNodeResponse& resp) {
    m_env.ui.ShowMessage(AbnormalResponseText(resp));
}

SFtpAccount COrvixDoc::TakeFtpAccount(const SNodeResponse& resp) {
    SFtpAccount account;
    if (resp.nModel == MODEL_INDEX_MRV620) {
        account = DecodeFtpAccount(resp);
    }
    if (account.strUser.empty()) {
        account.strUser = "(none)";
        account.strPassword.clear();
    }
    return account;
}

void COrvixDoc::SettleWithResult(const SNodeResponse& resp) {
    if (resp.byResult != 0) {
        ShowAbnormalResponse(resp);
    }
    m_pSocket->m_nPending = resp.byResult != 0 ? PENDING_ERROR : PENDING_NONE;
}

void COrvixDoc::DispatchResponse(const SNodeResponse& resp) {
    // A reply that one of several exchanges awaits is theirs alone.
    if (m_exchanges.Route(resp)) {
        if (resp.wCode == RESP_MODE_SPECIAL && resp.byResult == 0) {
            AddOrUpdateNode(resp.nModel, resp.dwSenderIp, resp.strMac, true, "", "");
        }
        return;
    }
    int32_t& nPending = m_pSocket->m_nPending;
    switch (resp.wCode) {
    case RESP_SEARCH:
        m_contacts.NoteReply(resp.strMac, m_env.clock.GetWallTime(),
                             m_pSocket->GetLastInterfaceName());
        if (m_pCurNet != nullptr &&
            !AddOrUpdateNode(resp.nModel, resp.dwSenderIp, resp.strMac, true, "", "")) {
            m_setRefusedMacs.insert(resp.strMac);
        }
        nPending = PENDING_NONE;
        break;
    case RESP_INITIALIZE:
        nPending = PENDING_NONE;
        break;
    case RESP_GET_PARAM:
        if (nPending == PENDING_GET_ACCOUNT) {
            if (resp.nModel == MODEL_INDEX_MRV620) {
                SFtpAccount account = DecodeFtpAccount(resp);
                m_pSocket->m_strFtpUser = account.strUser;
                m_pSocket->m_strFtpPassword = account.strPassword;
            }
            if (m_pSocket->m_strFtpUser.empty()) {
                m_pSocket->m_strFtpUser = "(none)";
                m_pSocket->m_strFtpPassword.clear();
            }
            nPending = PENDING_NONE;
        } else if (nPending == PENDING_GET_PARAM) {
            RunSettingsExchange(resp);
            nPending = PENDING_NONE;
        }
        break;
    case RESP_SET_PARAM:
        if (nPending == PENDING_GET_PARAM || nPending == PENDING_SET_PARAM) {
            SettleWithResult(resp);
        }
        break;
    case RESP_CHANGE_MODE:
    case RESP_MODE_SPECIAL:
        if (nPending == PENDING_CHANGE_MODE) {
            if (resp.byResult == 0 && resp.wCode == RESP_MODE_SPECIAL) {
                AddOrUpdateNode(resp.nModel, resp.dwSenderIp, resp.strMac, true, "", "");
            }
            SettleWithResult(resp);
        }
        break;
    case RESP_GET_VERSION:
        if (nPending == PENDING_GET_VERSION) {
            CVersionInfoDlg dlg(resp.pData, resp.nLen);
            m_env.ui.DoModal(dlg);
            nPending = PENDING_NONE;
        }
        break;
    default: // 0x0207 and anything unknown: nothing
        break;
    }
}
