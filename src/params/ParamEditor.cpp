#include "params/ParamEditor.h"

#include "params/ParamControls.h"
#include "platform/Cp932.h"
#include "platform/HostAddress.h"
#include "res/Texts.h"

#include <iterator>

namespace {
template <size_t N> std::vector<std::string> Items(const char* const (&arr)[N]) {
    return std::vector<std::string>(std::begin(arr), std::end(arr));
}

// Edits and the record fields they show; lists are kept apart below.
struct STextControl {
    int nId;
    std::string SParamTexts::*pMember;
};
const STextControl TEXT_CONTROLS[] = {
    {IDC_PED_OWN_IP, &SParamTexts::strOwnIp},
    {IDC_PED_OWN_PORT, &SParamTexts::strOwnPort},
    {IDC_PED_DEST_IP, &SParamTexts::strDestIp},
    {IDC_PED_DEST_PORT, &SParamTexts::strDestPort},
    {IDC_PED_SUBNET_MASK, &SParamTexts::strSubnetMask},
    {IDC_PED_GATEWAY, &SParamTexts::strGateway},
    {IDC_PED_KEEPALIVE, &SParamTexts::strKeepAlive},
    {IDC_PED_CONNECT_TIMER, &SParamTexts::strConnectTimer},
    {IDC_PED_NOCOMM_TIMER, &SParamTexts::strNoCommTimer},
    {IDC_PED_USER_NAME, &SParamTexts::strUserName},
    {IDC_PED_PASSWORD, &SParamTexts::strPassword},
    {IDC_PED_FILE_TERM, &SParamTexts::strFileTerm},
    {IDC_PED_MTU, &SParamTexts::strMtu},
    {IDC_PED_IDLE_TIMER, &SParamTexts::strIdleTimer},
    {IDC_PED_RECORD_TERM, &SParamTexts::strRecordTerm},
    {IDC_PED_LAN_PROTOCOL, &SParamTexts::strLanProtocol},
    {IDC_PED_RS_PROTOCOL, &SParamTexts::strRsProtocol},
};

struct SListControl {
    int nId;
    int SParamTexts::*pMember;
};
const SListControl LIST_CONTROLS[] = {
    {IDC_PED_COMM_TRIGGER, &SParamTexts::nCommTrigger},
    {IDC_PED_AUTONEGO, &SParamTexts::nAutoNego},
    {IDC_PED_BAUD_RATE, &SParamTexts::nBaudRate},
    {IDC_PED_DATA_BITS, &SParamTexts::nDataBits},
    {IDC_PED_STOP_BITS, &SParamTexts::nStopBits},
    {IDC_PED_PARITY, &SParamTexts::nParity},
    {IDC_PED_FLOW_CONTROL, &SParamTexts::nFlowControl},
    {IDC_PED_CONN_NOTIFY, &SParamTexts::nConnNotify},
    {IDC_PED_CONN_WATCH, &SParamTexts::nConnWatch},
    {IDC_PED_BOOTP, &SParamTexts::nBootp},
    {IDC_PED_DHCP, &SParamTexts::nDhcp},
};
} // namespace

CParamEditor::CParamEditor(const NODEPARAM& defParam)
    : m_defParam(defParam), m_fnPcAddress(GetFirstHostAddress) {
    SetTitle(TXT_PED_TEMPLATE_TITLE);
    SetCaption(IDC_PED_SEND, TXT_PED_SEND);
    SetCaption(DIALOG_CANCEL, TXT_PED_CANCEL);
    SetCaption(IDC_PED_MODE_LABEL, TXT_PED_MODE_LABEL);
    SetCaption(IDC_PED_OUTSIDE_NET, TXT_PED_OUTSIDE_NET);
    SetItems(IDC_PED_COMM_TRIGGER, Items(TXT_LIST_FLAG));
    SetItems(IDC_PED_AUTONEGO, Items(TXT_LIST_AUTONEGO));
    SetItems(IDC_PED_BAUD_RATE, Items(TXT_LIST_BAUD_RATE));
    SetItems(IDC_PED_DATA_BITS, Items(TXT_LIST_DATA_BITS));
    SetItems(IDC_PED_STOP_BITS, Items(TXT_LIST_STOP_BITS));
    SetItems(IDC_PED_PARITY, Items(TXT_LIST_PARITY));
    SetItems(IDC_PED_FLOW_CONTROL, Items(TXT_LIST_FLOW_CONTROL));
    SetItems(IDC_PED_CONN_NOTIFY, Items(TXT_LIST_FLAG));
    SetItems(IDC_PED_CONN_WATCH, Items(TXT_LIST_FLAG));
    SetItems(IDC_PED_BOOTP, Items(TXT_LIST_FLAG));
    SetItems(IDC_PED_DHCP, Items(TXT_LIST_FLAG));
    SetInt(IDC_PED_OUTSIDE_NET, 0);
}

void CParamEditor::Fill(const NODEPARAM& param) {
    SParamTexts texts = RenderParamTexts(param);
    for (const STextControl& ctl : TEXT_CONTROLS) {
        SetText(ctl.nId, texts.*ctl.pMember);
    }
    for (const SListControl& ctl : LIST_CONTROLS) {
        SetInt(ctl.nId, texts.*ctl.pMember);
    }
    m_arrStartProgram = texts.arrStartProgram;
    m_arrGeneralItem = texts.arrGeneralItem;
    m_snmp = texts.snmp;
}

void CParamEditor::SetMode(int nMode, const std::string& strModeText, int nModeSwitch) {
    m_nMode = nMode;
    m_nModeSwitch = nModeSwitch;
    bool bShowMode = nMode == PARAMEDIT_GET && nModeSwitch != PARAMEDIT_NO_MODE;
    SetTitle(nMode == PARAMEDIT_GET ? TXT_PED_TITLE_GET : TXT_PED_TITLE_SET);
    SetCaption(DIALOG_CANCEL, nMode == PARAMEDIT_GET ? TXT_PED_BACK : TXT_PED_CANCEL);
    std::string strCp932;
    SetText(IDC_PED_MODE, Utf8ToCp932(strModeText, strCp932) ? strCp932 : std::string());
    Show(IDC_PED_MODE_LABEL, bShowMode);
    Show(IDC_PED_MODE, bShowMode);
}

SParamTexts CParamEditor::GatherTexts() const {
    SParamTexts texts;
    for (const STextControl& ctl : TEXT_CONTROLS) {
        texts.*ctl.pMember = GetText(ctl.nId);
    }
    for (const SListControl& ctl : LIST_CONTROLS) {
        texts.*ctl.pMember = GetInt(ctl.nId);
    }
    texts.arrStartProgram = m_arrStartProgram;
    texts.arrGeneralItem = m_arrGeneralItem;
    texts.snmp = m_snmp;
    return texts;
}

NODEPARAM CParamEditor::ReadBack() const { return BuildParamFromTexts(GatherTexts(), m_defParam); }

bool CParamEditor::IsOutsideNetwork() const { return GetInt(IDC_PED_OUTSIDE_NET) != 0; }

SDialogAction CParamEditor::OnCommand(CUi& /*ui*/, int nId) {
    switch (nId) {
    case IDC_PED_SEND: {
        SCheck check = ValidateParamEditor(GatherTexts(), m_fnPcAddress);
        if (!check.Ok()) {
            return SDialogAction::Fail(check.strMessage, check.nFocusId);
        }
        return SDialogAction::CloseWith(DIALOG_OK);
    }
    case DIALOG_CANCEL:
        return SDialogAction::CloseWith(DIALOG_CANCEL);
    default:
        // Enter in an input field neither checks nor closes.
        return SDialogAction::StayOpen();
    }
}
