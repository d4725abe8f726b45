// Response dispatch: every datagram that reaches the endpoint is checked, then
// acted on by its response code and the pending state of the waiting operation.
#include "link/NodeCodec.h"
#include "link/NodeProtocol.h"
#include "link/VersionInfoDlg.h"
#include "platform/HostAddress.h"
#include "platform/Ui.h"
#include "registry/OrvixDoc.h"
#include "res/Texts.h"

#include <cstdio>
#include <cstring>

namespace {
constexpr uint16_t RESP_SEARCH = NODECMD_SEARCH + NODECMD_RESPONSE;
constexpr uint16_t RESP_INITIALIZE = NODECMD_INITIALIZE + NODECMD_RESPONSE;
constexpr uint16_t RESP_GET_PARAM = NODECMD_GET_PARAM + NODECMD_RESPONSE;
constexpr uint16_t RESP_SET_PARAM = NODECMD_SET_PARAM + NODECMD_RESPONSE;
constexpr uint16_t RESP_CHANGE_MODE = NODECMD_CHANGE_MODE + NODECMD_RESPONSE;
constexpr uint16_t RESP_MODE_SPECIAL = NODECMD_MODE_SPECIAL + NODECMD_RESPONSE;
constexpr uint16_t RESP_UNUSED = 0x0207;
constexpr uint16_t RESP_GET_VERSION = NODECMD_GET_VERSION + NODECMD_RESPONSE;

// Block offsets of the FTP account inside a 0x0203 datagram.
constexpr size_t RESPOFS_USER = 36;
constexpr size_t RESPOFS_PASSWORD = 52;
constexpr size_t ACCOUNT_FIELD = 16;

// Any host on the segment may send anything: a response shorter than the
// fields its code uses is dropped rather than read past its end.
size_t MinimumLength(uint16_t wCode) {
    switch (wCode) {
    case RESP_GET_PARAM:
        return NODE_HEADER_LEN + NODEPARAM_SIZE;
    case RESP_GET_VERSION:
        return VER_MIN_LENGTH;
    default:
        return NODE_HEADER_LEN;
    }
}

std::string AccountText(const uint8_t* p) {
    size_t n = 0;
    while (n < ACCOUNT_FIELD - 1 && p[n] != 0) {
        ++n;
    }
    return std::string(reinterpret_cast<const char*>(p), n);
}
} // namespace

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
    if (n < 0) {
        return;
    }
    size_t nLen = static_cast<size_t>(n);
    uint32_t dwSenderIp = 0;
    if (!ResolveAddress(strAddr, dwSenderIp) || wPort != NODE_DEVICE_PORT) {
        return;
    }
    if (nLen < 4 || abBuf[0] != NODE_SIGNATURE_0 || abBuf[1] != NODE_SIGNATURE_1) {
        return;
    }
    uint16_t wCode = static_cast<uint16_t>((abBuf[NODEOFS_CODE] << 8) | abBuf[NODEOFS_CODE + 1]);
    if (wCode < RESP_SEARCH || wCode > RESP_GET_VERSION || nLen < MinimumLength(wCode)) {
        return;
    }
    DispatchResponse(abBuf, nLen, dwSenderIp);
}

void COrvixDoc::DispatchQueuedDatagrams() {
    while (m_pSocket->HasQueued()) {
        OnReceiveDatagram();
    }
}

void COrvixDoc::ShowAbnormalResponse(const uint8_t* pData) {
    char szDetail[256];
    std::snprintf(szDetail, sizeof szDetail, TXT_ABNORMAL_DETAIL_FORMAT,
                  (pData[NODEOFS_CODE] << 8) | pData[NODEOFS_CODE + 1],
                  MacToText(pData + NODEOFS_MAC).c_str(), pData[NODEOFS_MODEL], pData[NODEOFS_MODE],
                  pData[NODEOFS_RESULT]);
    m_env.ui.ShowMessage(std::string(TXT_ABNORMAL_RESPONSE) + "\n" + szDetail);
}

void COrvixDoc::DispatchResponse(uint8_t* pData, size_t nLen, uint32_t dwSenderIp) {
    int32_t& nPending = m_pSocket->m_nPending;
    uint16_t wCode = static_cast<uint16_t>((pData[NODEOFS_CODE] << 8) | pData[NODEOFS_CODE + 1]);
    int nModel = ModelIndexFromCode(pData[NODEOFS_MODEL]);
    uint8_t byResult = pData[NODEOFS_RESULT];

    switch (wCode) {
    case RESP_SEARCH:
        if (m_pCurNet != nullptr) {
            std::string strMac = MacToText(pData + NODEOFS_MAC);
            if (!AddOrUpdateNode(nModel, dwSenderIp, strMac, true, "", "")) {
                m_setRefusedMacs.insert(strMac);
            }
        }
        nPending = PENDING_NONE;
        break;
    case RESP_INITIALIZE:
        nPending = PENDING_NONE;
        break;
    case RESP_GET_PARAM:
        if (nPending == PENDING_GET_ACCOUNT) {
            if (nModel == MODEL_INDEX_MRV620) {
                m_pSocket->m_strFtpUser = AccountText(pData + RESPOFS_USER);
                m_pSocket->m_strFtpPassword = AccountText(pData + RESPOFS_PASSWORD);
            }
            if (m_pSocket->m_strFtpUser.empty()) {
                m_pSocket->m_strFtpUser = "(none)";
                m_pSocket->m_strFtpPassword.clear();
            }
            nPending = PENDING_NONE;
        } else if (nPending == PENDING_GET_PARAM) {
            RunSettingsExchange(pData);
            nPending = PENDING_NONE;
        }
        break;
    case RESP_SET_PARAM:
        if (nPending == PENDING_GET_PARAM || nPending == PENDING_SET_PARAM) {
            if (byResult != 0) {
                ShowAbnormalResponse(pData);
            }
            nPending = byResult != 0 ? PENDING_ERROR : PENDING_NONE;
        }
        break;
    case RESP_CHANGE_MODE:
    case RESP_MODE_SPECIAL:
        if (nPending == PENDING_CHANGE_MODE) {
            if (byResult != 0) {
                ShowAbnormalResponse(pData);
            } else if (wCode == RESP_MODE_SPECIAL) {
                AddOrUpdateNode(nModel, dwSenderIp, MacToText(pData + NODEOFS_MAC), true, "", "");
            }
            nPending = byResult != 0 ? PENDING_ERROR : PENDING_NONE;
        }
        break;
    case RESP_UNUSED:
        break;
    case RESP_GET_VERSION:
        if (nPending == PENDING_GET_VERSION) {
            CVersionInfoDlg dlg(pData, nLen);
            m_env.ui.DoModal(dlg);
            nPending = PENDING_NONE;
        }
        break;
    default:
        break;
    }
}
