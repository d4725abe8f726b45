#include "params/ParamEditor.h"

#include "params/ParamControls.h"
#include "params/ParamLists.h"
#include "params/ParamSubDialogs.h"
#include "platform/Cp932.h"
#include "platform/HostAddress.h"
#include "res/Texts.h"
#include "ui/Ui.h"

#include <algorithm>
#include <iterator>

namespace {
// The controls, group by group as the dialog shows them.
std::vector<SControl> ParamEditorControls() {
    auto Label = [](int nId, const char* pszText) {
        return SControl::Captioned(LabelOf(nId), ECtl::Label, pszText);
    };
    return {
        SControl::Captioned(IDC_PED_GROUP_LAN, ECtl::Group, TXT_PED_GROUP_LAN),
        Label(IDC_PED_OWN_IP, TXT_PED_LBL_OWN_IP),
        SControl::Of(IDC_PED_OWN_IP, ECtl::Edit, PRM_ADDRESS_LIMIT),
        Label(IDC_PED_OWN_PORT, TXT_PED_LBL_OWN_PORT),
        SControl::Of(IDC_PED_OWN_PORT, ECtl::DigitsEdit, PRM_PORT_LIMIT),
        Label(IDC_PED_DEST_IP, TXT_PED_LBL_DEST_IP),
        SControl::Of(IDC_PED_DEST_IP, ECtl::Edit, PRM_ADDRESS_LIMIT),
        Label(IDC_PED_DEST_PORT, TXT_PED_LBL_DEST_PORT),
        SControl::Of(IDC_PED_DEST_PORT, ECtl::DigitsEdit, PRM_PORT_LIMIT),
        Label(IDC_PED_SUBNET_MASK, TXT_PED_LBL_SUBNET_MASK),
        SControl::Of(IDC_PED_SUBNET_MASK, ECtl::Edit, PRM_ADDRESS_LIMIT),
        Label(IDC_PED_GATEWAY, TXT_PED_LBL_GATEWAY),
        SControl::Of(IDC_PED_GATEWAY, ECtl::Edit, PRM_ADDRESS_LIMIT),
        Label(IDC_PED_KEEPALIVE, TXT_PED_LBL_KEEPALIVE),
        SControl::Of(IDC_PED_KEEPALIVE, ECtl::DigitsEdit, PRM_TIMER_LIMIT),
        Label(IDC_PED_CONNECT_TIMER, TXT_PED_LBL_CONNECT_TIMER),
        SControl::Of(IDC_PED_CONNECT_TIMER, ECtl::DigitsEdit, PRM_TIMER_LIMIT),
        Label(IDC_PED_COMM_TRIGGER, TXT_PED_LBL_COMM_TRIGGER),
        SControl::Of(IDC_PED_COMM_TRIGGER, ECtl::DropList),
        Label(IDC_PED_NOCOMM_TIMER, TXT_PED_LBL_NOCOMM_TIMER),
        SControl::Of(IDC_PED_NOCOMM_TIMER, ECtl::Edit, PRM_TIMER_LIMIT),
        Label(IDC_PED_USER_NAME, TXT_PED_LBL_USER_NAME),
        SControl::Of(IDC_PED_USER_NAME, ECtl::Edit, PRM_ACCOUNT_LIMIT),
        Label(IDC_PED_PASSWORD, TXT_PED_LBL_PASSWORD),
        SControl::Of(IDC_PED_PASSWORD, ECtl::Edit, PRM_ACCOUNT_LIMIT),
        Label(IDC_PED_FILE_TERM, TXT_PED_LBL_FILE_TERM),
        SControl::Of(IDC_PED_FILE_TERM, ECtl::HexEdit, PRM_TERMINATOR_LIMIT),
        Label(IDC_PED_AUTONEGO, TXT_PED_LBL_AUTONEGO),
        SControl::Of(IDC_PED_AUTONEGO, ECtl::DropList),
        Label(IDC_PED_MTU, TXT_PED_LBL_MTU),
        SControl::Of(IDC_PED_MTU, ECtl::DigitsEdit, PRM_MTU_LIMIT),

        SControl::Captioned(IDC_PED_GROUP_SERIAL, ECtl::Group, TXT_PED_GROUP_SERIAL),
        Label(IDC_PED_BAUD_RATE, TXT_PED_LBL_BAUD_RATE),
        SControl::Of(IDC_PED_BAUD_RATE, ECtl::DropList),
        Label(IDC_PED_DATA_BITS, TXT_PED_LBL_DATA_BITS),
        SControl::Of(IDC_PED_DATA_BITS, ECtl::DropList),
        Label(IDC_PED_STOP_BITS, TXT_PED_LBL_STOP_BITS),
        SControl::Of(IDC_PED_STOP_BITS, ECtl::DropList),
        Label(IDC_PED_PARITY, TXT_PED_LBL_PARITY),
        SControl::Of(IDC_PED_PARITY, ECtl::DropList),
        Label(IDC_PED_FLOW_CONTROL, TXT_PED_LBL_FLOW_CONTROL),
        SControl::Of(IDC_PED_FLOW_CONTROL, ECtl::DropList),
        Label(IDC_PED_CONN_NOTIFY, TXT_PED_LBL_CONN_NOTIFY),
        SControl::Of(IDC_PED_CONN_NOTIFY, ECtl::DropList),
        Label(IDC_PED_CONN_WATCH, TXT_PED_LBL_CONN_WATCH),
        SControl::Of(IDC_PED_CONN_WATCH, ECtl::DropList),
        Label(IDC_PED_IDLE_TIMER, TXT_PED_LBL_IDLE_TIMER),
        SControl::Of(IDC_PED_IDLE_TIMER, ECtl::DigitsEdit, PRM_IDLE_TIMER_LIMIT),
        Label(IDC_PED_RECORD_TERM, TXT_PED_LBL_RECORD_TERM),
        SControl::Of(IDC_PED_RECORD_TERM, ECtl::HexEdit, PRM_TERMINATOR_LIMIT),

        SControl::Captioned(IDC_PED_GROUP_SYSTEM, ECtl::Group, TXT_PED_GROUP_SYSTEM),
        Label(IDC_PED_LAN_PROTOCOL, TXT_PED_LBL_LAN_PROTOCOL),
        SControl::Of(IDC_PED_LAN_PROTOCOL, ECtl::Edit, PRM_PROTOCOL_LIMIT),
        Label(IDC_PED_RS_PROTOCOL, TXT_PED_LBL_RS_PROTOCOL),
        SControl::Of(IDC_PED_RS_PROTOCOL, ECtl::Edit, PRM_PROTOCOL_LIMIT),
        Label(IDC_PED_BOOTP, TXT_PED_LBL_BOOTP),
        SControl::Of(IDC_PED_BOOTP, ECtl::DropList),
        Label(IDC_PED_DHCP, TXT_PED_LBL_DHCP),
        SControl::Of(IDC_PED_DHCP, ECtl::DropList),
        Label(IDC_PED_START_PROGRAMS, TXT_PED_LBL_START_PROGRAMS),
        SControl::Captioned(IDC_PED_START_PROGRAMS, ECtl::Button, TXT_PED_SUBDIALOG),
        Label(IDC_PED_GENERAL_ITEMS, TXT_PED_LBL_GENERAL_ITEMS),
        SControl::Captioned(IDC_PED_GENERAL_ITEMS, ECtl::Button, TXT_PED_SUBDIALOG),
        Label(IDC_PED_SNMP, TXT_PED_LBL_SNMP),
        SControl::Captioned(IDC_PED_SNMP, ECtl::Button, TXT_PED_SUBDIALOG),

        SControl::Captioned(IDC_PED_MODE_LABEL, ECtl::Label, TXT_PED_MODE_LABEL),
        SControl::Of(IDC_PED_MODE, ECtl::ReadOnlyEdit),
        SControl::Captioned(IDC_PED_OUTSIDE_NET, ECtl::CheckBox, TXT_PED_OUTSIDE_NET),
        SControl::Captioned(IDC_PED_SEND, ECtl::Button, TXT_PED_SEND),
        SControl::Captioned(DIALOG_CANCEL, ECtl::Button, TXT_PED_CANCEL),
    };
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
    : m_defParam(defParam), m_fnPcAddress(GetPcAddresses) {
    std::copy_n(defParam.abFileTerm, 2, m_abFileTerm);
    std::copy_n(defParam.abRecordTerm, 2, m_abRecordTerm);
    SetControls(ParamEditorControls());
    SetTitle(TXT_PED_TEMPLATE_TITLE);
    SetCaption(IDC_PED_SEND, TXT_PED_SEND);
    SetCaption(DIALOG_CANCEL, TXT_PED_CANCEL);
    SetCaption(IDC_PED_MODE_LABEL, TXT_PED_MODE_LABEL);
    SetCaption(IDC_PED_OUTSIDE_NET, TXT_PED_OUTSIDE_NET);
    SetItems(IDC_PED_COMM_TRIGGER, ParamListItems(TXT_LIST_FLAG));
    SetItems(IDC_PED_AUTONEGO, ParamListItems(TXT_LIST_AUTONEGO));
    SetItems(IDC_PED_BAUD_RATE, ParamListItems(TXT_LIST_BAUD_RATE));
    SetItems(IDC_PED_DATA_BITS, ParamListItems(TXT_LIST_DATA_BITS));
    SetItems(IDC_PED_STOP_BITS, ParamListItems(TXT_LIST_STOP_BITS));
    SetItems(IDC_PED_PARITY, ParamListItems(TXT_LIST_PARITY));
    SetItems(IDC_PED_FLOW_CONTROL, ParamListItems(TXT_LIST_FLOW_CONTROL));
    SetItems(IDC_PED_CONN_NOTIFY, ParamListItems(TXT_LIST_FLAG));
    SetItems(IDC_PED_CONN_WATCH, ParamListItems(TXT_LIST_FLAG));
    SetItems(IDC_PED_BOOTP, ParamListItems(TXT_LIST_FLAG));
    SetItems(IDC_PED_DHCP, ParamListItems(TXT_LIST_FLAG));
    SetInt(IDC_PED_OUTSIDE_NET, 0);
}

void CParamEditor::Fill(const NODEPARAM& param) {
    SParamTexts texts = RenderParamTexts(param);
    for (const STextControl& ctl : TEXT_CONTROLS) {
        SetText(ctl.nId, texts.*ctl.pMember);
    }
    for (const SListControl& ctl : LIST_CONTROLS) {
        SetInt(ctl.nId, SelectorIndex(texts.*ctl.pMember, GetItems(ctl.nId).size()));
    }
    m_arrStartProgram = texts.arrStartProgram;
    m_arrGeneralItem = texts.arrGeneralItem;
    m_snmp = texts.snmp;
    std::copy_n(param.abFileTerm, 2, m_abFileTerm);
    std::copy_n(param.abRecordTerm, 2, m_abRecordTerm);
}

void CParamEditor::FillForIndividualSetting(uint32_t dwNodeIp, uint32_t dwSubnetMask,
                                            uint32_t dwGateway) {
    NODEPARAM param = m_defParam;
    param.dwOwnIp = dwNodeIp;
    param.dwSubnetMask = dwSubnetMask;
    param.dwGateway = dwGateway;
    Fill(param);
    SetMode(PARAMEDIT_SET, std::string(), PARAMEDIT_NO_MODE);
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

NODEPARAM CParamEditor::ReadBack() const {
    NODEPARAM base = m_defParam;
    std::copy_n(m_abFileTerm, 2, base.abFileTerm);
    std::copy_n(m_abRecordTerm, 2, base.abRecordTerm);
    return BuildParamFromTexts(GatherTexts(), base);
}

bool CParamEditor::IsOutsideNetwork() const {
    return GetInt(IDC_PED_OUTSIDE_NET) != 0;
}

void CParamEditor::EditStartPrograms(CUi& ui) {
    CStartProgramDlg dlg;
    dlg.SetNames(m_arrStartProgram);
    if (ui.DoModal(dlg) == DIALOG_OK) {
        m_arrStartProgram = dlg.GetNames();
    }
}

void CParamEditor::EditGeneralItems(CUi& ui) {
    CGeneralItemsDlg dlg;
    dlg.SetGeneralItems(m_arrGeneralItem);
    if (ui.DoModal(dlg) == DIALOG_OK) {
        m_arrGeneralItem = dlg.GetGeneralItems();
    }
}

void CParamEditor::EditSnmp(CUi& ui) {
    CSnmpDlg dlg;
    dlg.SetSnmp(m_snmp);
    if (ui.DoModal(dlg) == DIALOG_OK) {
        m_snmp = dlg.GetSnmp();
    }
}

SDialogAction CParamEditor::OnCommand(CUi& ui, int nId) {
    switch (nId) {
    case IDC_PED_START_PROGRAMS:
        EditStartPrograms(ui);
        return SDialogAction::StayOpen();
    case IDC_PED_GENERAL_ITEMS:
        EditGeneralItems(ui);
        return SDialogAction::StayOpen();
    case IDC_PED_SNMP:
        EditSnmp(ui);
        return SDialogAction::StayOpen();
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
