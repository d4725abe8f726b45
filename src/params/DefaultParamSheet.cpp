#include "params/DefaultParamSheet.h"

#include "params/ParamControls.h"
#include "params/ParamFields.h"
#include "params/ParamLists.h"
#include "params/ParamSubDialogs.h"
#include "params/ParamValidation.h"
#include "platform/IpText.h"
#include "platform/NumberText.h"
#include "res/Texts.h"
#include "ui/Ui.h"

#include <algorithm>
#include <iterator>

namespace {
// The page's edits and the values they hold.
struct SPageEdit {
    int nId;
    ECtl eKind;
    size_t nLimit;
    std::string SParamPageTexts::*pMember;
};
const SPageEdit PAGE_EDITS[] = {
    {IDC_PRM_OWN_PORT, ECtl::DigitsEdit, PRM_PORT_LIMIT, &SParamPageTexts::strOwnPort},
    {IDC_PRM_DEST_IP, ECtl::Edit, PRM_ADDRESS_LIMIT, &SParamPageTexts::strDestIp},
    {IDC_PRM_DEST_PORT, ECtl::DigitsEdit, PRM_PORT_LIMIT, &SParamPageTexts::strDestPort},
    {IDC_PRM_CONNECT_TIMER, ECtl::DigitsEdit, PRM_TIMER_LIMIT, &SParamPageTexts::strConnectTimer},
    {IDC_PRM_MTU, ECtl::DigitsEdit, PRM_MTU_LIMIT, &SParamPageTexts::strMtu},
    {IDC_PRM_NOCOMM_TIMER, ECtl::DigitsEdit, PRM_TIMER_LIMIT, &SParamPageTexts::strNoCommTimer},
    {IDC_PRM_USER_NAME, ECtl::Edit, PRM_ACCOUNT_LIMIT, &SParamPageTexts::strUserName},
    {IDC_PRM_PASSWORD, ECtl::Edit, PRM_ACCOUNT_LIMIT, &SParamPageTexts::strPassword},
    {IDC_PRM_FILE_TERM, ECtl::HexEdit, PRM_TERMINATOR_LIMIT, &SParamPageTexts::strFileTerm},
    {IDC_PRM_KEEPALIVE, ECtl::DigitsEdit, PRM_TIMER_LIMIT, &SParamPageTexts::strKeepAlive},
    {IDC_PRM_RECORD_TERM, ECtl::HexEdit, PRM_TERMINATOR_LIMIT, &SParamPageTexts::strRecordTerm},
    {IDC_PRM_IDLE_TIMER, ECtl::DigitsEdit, PRM_IDLE_TIMER_LIMIT, &SParamPageTexts::strIdleTimer},
    {IDC_PRM_LAN_PROTOCOL, ECtl::Edit, PRM_PROTOCOL_LIMIT, &SParamPageTexts::strLanProtocol},
    {IDC_PRM_RS_PROTOCOL, ECtl::Edit, PRM_PROTOCOL_LIMIT, &SParamPageTexts::strRsProtocol},
};

// The page's drop-down lists, their items and the record bytes behind them.
struct SPageList {
    int nId;
    int SParamPageTexts::*pMember;
    uint8_t NODEPARAM::*pField;
    std::vector<std::string> (*fnItems)();
};
std::vector<std::string> FlagItems() {
    return ParamListItems(TXT_LIST_FLAG);
}
std::vector<std::string> AutoNegoItems() {
    return ParamListItems(TXT_LIST_AUTONEGO);
}
std::vector<std::string> BaudRateItems() {
    return ParamListItems(TXT_LIST_BAUD_RATE);
}
std::vector<std::string> DataBitsItems() {
    return ParamListItems(TXT_LIST_DATA_BITS);
}
std::vector<std::string> StopBitsItems() {
    return ParamListItems(TXT_LIST_STOP_BITS);
}
std::vector<std::string> ParityItems() {
    return ParamListItems(TXT_LIST_PARITY);
}
std::vector<std::string> FlowControlItems() {
    return ParamListItems(TXT_LIST_FLOW_CONTROL);
}
const SPageList PAGE_LISTS[] = {
    {IDC_PRM_AUTONEGO, &SParamPageTexts::nAutoNego, &NODEPARAM::byAutoNego, AutoNegoItems},
    {IDC_PRM_COMM_TRIGGER, &SParamPageTexts::nCommTrigger, &NODEPARAM::byCommTrigger, FlagItems},
    {IDC_PRM_BAUD_RATE, &SParamPageTexts::nBaudRate, &NODEPARAM::byBaudRate, BaudRateItems},
    {IDC_PRM_DATA_BITS, &SParamPageTexts::nDataBits, &NODEPARAM::byDataBits, DataBitsItems},
    {IDC_PRM_STOP_BITS, &SParamPageTexts::nStopBits, &NODEPARAM::byStopBits, StopBitsItems},
    {IDC_PRM_PARITY, &SParamPageTexts::nParity, &NODEPARAM::byParity, ParityItems},
    {IDC_PRM_FLOW_CONTROL, &SParamPageTexts::nFlowControl, &NODEPARAM::byFlowControl,
     FlowControlItems},
    {IDC_PRM_CONN_NOTIFY, &SParamPageTexts::nConnNotify, &NODEPARAM::byConnNotify, FlagItems},
    {IDC_PRM_CONN_WATCH, &SParamPageTexts::nConnWatch, &NODEPARAM::byConnWatch, FlagItems},
    {IDC_PRM_BOOTP, &SParamPageTexts::nBootp, &NODEPARAM::byBootp, FlagItems},
    {IDC_PRM_DHCP, &SParamPageTexts::nDhcp, &NODEPARAM::byDhcp, FlagItems},
};

const int PAGE_BUTTONS[] = {IDC_PRM_START_PROGRAMS, IDC_PRM_GENERAL_ITEMS, IDC_PRM_SNMP};

const SPageList& ListOf(int nId) {
    return *std::find_if(std::begin(PAGE_LISTS), std::end(PAGE_LISTS),
                         [nId](const SPageList& list) { return list.nId == nId; });
}

// A control of the page with the label beside it.
void AddLabelled(std::vector<SControl>& vec, int nId, const char* pszLabel) {
    vec.push_back(SControl::Captioned(LabelOf(nId), ECtl::Label, pszLabel));
    auto itEdit = std::find_if(std::begin(PAGE_EDITS), std::end(PAGE_EDITS),
                               [nId](const SPageEdit& edit) { return edit.nId == nId; });
    if (itEdit != std::end(PAGE_EDITS)) {
        vec.push_back(SControl::Of(nId, itEdit->eKind, itEdit->nLimit));
    } else if (std::find(std::begin(PAGE_BUTTONS), std::end(PAGE_BUTTONS), nId) !=
               std::end(PAGE_BUTTONS)) {
        vec.push_back(SControl::Captioned(nId, ECtl::Button, TXT_DPS_SUBDIALOG));
    } else {
        vec.push_back(SControl::Of(nId, ECtl::DropList));
    }
}

uint8_t ToByte(int32_t n) {
    return static_cast<uint8_t>(n);
}
uint16_t ToWord(int32_t n) {
    return static_cast<uint16_t>(n);
}
// An integer field the checks have passed.
int32_t IntField(const std::string& strText) {
    int32_t nValue = 0;
    ExchangeInt(strText, nValue);
    return nValue;
}
} // namespace

// ------------------------------------------------------------ the page

std::vector<SControl> CProp100X::GetControls() {
    // In the order the page shows them: LAN, serial, system settings.
    std::vector<SControl> vec = {
        SControl::Captioned(IDC_PRM_PAGE, ECtl::Group, TXT_DPS_PAGE),
        SControl::Captioned(IDC_PRM_GROUP_LAN, ECtl::Group, TXT_DPS_GROUP_LAN)};
    AddLabelled(vec, IDC_PRM_OWN_PORT, TXT_DPS_LBL_OWN_PORT);
    AddLabelled(vec, IDC_PRM_DEST_IP, TXT_DPS_LBL_DEST_IP);
    AddLabelled(vec, IDC_PRM_DEST_PORT, TXT_DPS_LBL_DEST_PORT);
    AddLabelled(vec, IDC_PRM_CONNECT_TIMER, TXT_DPS_LBL_CONNECT_TIMER);
    AddLabelled(vec, IDC_PRM_MTU, TXT_DPS_LBL_MTU);
    AddLabelled(vec, IDC_PRM_AUTONEGO, TXT_DPS_LBL_AUTONEGO);
    AddLabelled(vec, IDC_PRM_COMM_TRIGGER, TXT_DPS_LBL_COMM_TRIGGER);
    AddLabelled(vec, IDC_PRM_NOCOMM_TIMER, TXT_DPS_LBL_NOCOMM_TIMER);
    AddLabelled(vec, IDC_PRM_USER_NAME, TXT_DPS_LBL_USER_NAME);
    AddLabelled(vec, IDC_PRM_PASSWORD, TXT_DPS_LBL_PASSWORD);
    AddLabelled(vec, IDC_PRM_FILE_TERM, TXT_DPS_LBL_FILE_TERM);
    AddLabelled(vec, IDC_PRM_KEEPALIVE, TXT_DPS_LBL_KEEPALIVE);

    vec.push_back(SControl::Captioned(IDC_PRM_GROUP_SERIAL, ECtl::Group, TXT_DPS_GROUP_SERIAL));
    AddLabelled(vec, IDC_PRM_BAUD_RATE, TXT_DPS_LBL_BAUD_RATE);
    AddLabelled(vec, IDC_PRM_DATA_BITS, TXT_DPS_LBL_DATA_BITS);
    AddLabelled(vec, IDC_PRM_STOP_BITS, TXT_DPS_LBL_STOP_BITS);
    AddLabelled(vec, IDC_PRM_PARITY, TXT_DPS_LBL_PARITY);
    AddLabelled(vec, IDC_PRM_FLOW_CONTROL, TXT_DPS_LBL_FLOW_CONTROL);
    AddLabelled(vec, IDC_PRM_RECORD_TERM, TXT_DPS_LBL_RECORD_TERM);
    AddLabelled(vec, IDC_PRM_CONN_NOTIFY, TXT_DPS_LBL_CONN_NOTIFY);
    AddLabelled(vec, IDC_PRM_CONN_WATCH, TXT_DPS_LBL_CONN_WATCH);
    AddLabelled(vec, IDC_PRM_IDLE_TIMER, TXT_DPS_LBL_IDLE_TIMER);

    vec.push_back(SControl::Captioned(IDC_PRM_GROUP_SYSTEM, ECtl::Group, TXT_DPS_GROUP_SYSTEM));
    AddLabelled(vec, IDC_PRM_LAN_PROTOCOL, TXT_DPS_LBL_LAN_PROTOCOL);
    AddLabelled(vec, IDC_PRM_RS_PROTOCOL, TXT_DPS_LBL_RS_PROTOCOL);
    AddLabelled(vec, IDC_PRM_BOOTP, TXT_DPS_LBL_BOOTP);
    AddLabelled(vec, IDC_PRM_DHCP, TXT_DPS_LBL_DHCP);
    AddLabelled(vec, IDC_PRM_START_PROGRAMS, TXT_DPS_LBL_START_PROGRAMS);
    AddLabelled(vec, IDC_PRM_GENERAL_ITEMS, TXT_DPS_LBL_GENERAL_ITEMS);
    AddLabelled(vec, IDC_PRM_SNMP, TXT_DPS_LBL_SNMP);
    return vec;
}

bool CProp100X::IsPageControl(int nId) {
    return std::any_of(std::begin(PAGE_EDITS), std::end(PAGE_EDITS),
                       [nId](const SPageEdit& edit) { return edit.nId == nId; }) ||
           std::any_of(std::begin(PAGE_LISTS), std::end(PAGE_LISTS),
                       [nId](const SPageList& list) { return list.nId == nId; });
}

void CProp100X::OnInitPage(CDialogModel& dlg) const {
    const NODEPARAM& p = m_param;
    // Numbers in decimal, terminators as "%02X" pairs, texts as stored.
    SParamTexts texts = RenderParamTexts(p);
    SParamPageTexts page;
    page.strOwnPort = texts.strOwnPort;
    page.strDestIp = texts.strDestIp;
    page.strDestPort = texts.strDestPort;
    page.strConnectTimer = texts.strConnectTimer;
    page.strMtu = texts.strMtu;
    page.strNoCommTimer = texts.strNoCommTimer;
    page.strUserName = texts.strUserName;
    page.strPassword = texts.strPassword;
    page.strFileTerm = texts.strFileTerm;
    page.strKeepAlive = texts.strKeepAlive;
    page.strRecordTerm = texts.strRecordTerm;
    page.strIdleTimer = texts.strIdleTimer;
    page.strLanProtocol = texts.strLanProtocol;
    page.strRsProtocol = texts.strRsProtocol;
    for (const SPageEdit& edit : PAGE_EDITS) {
        dlg.SetText(edit.nId, page.*edit.pMember);
    }
    for (const SPageList& list : PAGE_LISTS) {
        std::vector<std::string> vecItems = list.fnItems();
        dlg.SetInt(list.nId, SelectorIndex(p.*list.pField, vecItems.size()));
        dlg.SetItems(list.nId, std::move(vecItems));
    }
}

SParamPageTexts CProp100X::GatherTexts(const CDialogModel& dlg) {
    SParamPageTexts page;
    for (const SPageEdit& edit : PAGE_EDITS) {
        page.*edit.pMember = dlg.GetText(edit.nId);
    }
    for (const SPageList& list : PAGE_LISTS) {
        page.*list.pMember = dlg.GetInt(list.nId);
    }
    return page;
}

SCheck CProp100X::OnKillActive(const CDialogModel& dlg) const {
    return ValidateParamPage(GatherTexts(dlg), false);
}

SCheck CProp100X::OnApply(const CDialogModel& dlg) {
    SCheck check = ValidateParamPage(GatherTexts(dlg), true);
    if (check.Ok()) {
        CopyToParam(dlg);
    }
    return check;
}

void CProp100X::CopyToParam(const CDialogModel& dlg) {
    const SParamPageTexts t = GatherTexts(dlg);
    NODEPARAM& p = m_param;
    auto List = [&](int nId) { return ToByte(t.*ListOf(nId).pMember); }; // none: 255
    p.wOwnPort = ToWord(IntField(t.strOwnPort));
    p.dwDestIp = ParseIpHost(t.strDestIp);
    p.wDestPort = ToWord(IntField(t.strDestPort));
    p.byCommTrigger = List(IDC_PRM_COMM_TRIGGER);
    p.byNoCommTimer = ToByte(IntField(t.strNoCommTimer));
    p.byKeepAlive = ToByte(ParseLeadingInt(t.strKeepAlive));
    p.wMtu = ToWord(ParseLeadingInt(t.strMtu));
    p.byConnectTimer = ToByte(ParseLeadingInt(t.strConnectTimer));
    SetTextField(p.szUserName, t.strUserName);
    SetTextField(p.szPassword, t.strPassword);
    StoreTerminator(t.strFileTerm, p.byFileTermLen, p.abFileTerm);
    p.byAutoNego = List(IDC_PRM_AUTONEGO);
    StoreTerminator(t.strRecordTerm, p.byRecordTermLen, p.abRecordTerm);
    p.byBaudRate = List(IDC_PRM_BAUD_RATE);
    p.byDataBits = List(IDC_PRM_DATA_BITS);
    p.byStopBits = List(IDC_PRM_STOP_BITS);
    p.byParity = List(IDC_PRM_PARITY);
    p.byFlowControl = List(IDC_PRM_FLOW_CONTROL);
    p.wIdleTimer = ToWord(ParseLeadingInt(t.strIdleTimer));
    p.byConnWatch = List(IDC_PRM_CONN_WATCH);
    p.byConnNotify = List(IDC_PRM_CONN_NOTIFY);
    SetTextField(p.szLanProtocol, t.strLanProtocol);
    SetTextField(p.szRsProtocol, t.strRsProtocol);
    p.byBootp = List(IDC_PRM_BOOTP);
    p.byDhcp = List(IDC_PRM_DHCP);
}

bool CProp100X::OnSubDialogButton(CUi& ui, int nId) {
    // Straight between the defaults and the sub-dialog: its OK writes them at once.
    SParamTexts texts = RenderParamTexts(m_param);
    switch (nId) {
    case IDC_PRM_START_PROGRAMS: {
        CStartProgramDlg dlg;
        dlg.SetNames(texts.arrStartProgram);
        if (ui.DoModal(dlg) == DIALOG_OK) {
            StoreStartPrograms(m_param, dlg.GetNames());
            m_bModified = true;
        }
        return true;
    }
    case IDC_PRM_GENERAL_ITEMS: {
        CGeneralItemsDlg dlg;
        dlg.SetGeneralItems(texts.arrGeneralItem);
        if (ui.DoModal(dlg) == DIALOG_OK) {
            StoreGeneralItems(m_param, dlg.GetGeneralItems());
            m_bModified = true;
        }
        return true;
    }
    case IDC_PRM_SNMP: {
        CSnmpDlg dlg;
        dlg.SetSnmp(texts.snmp);
        if (ui.DoModal(dlg) == DIALOG_OK) {
            StoreSnmp(m_param, dlg.GetSnmp());
            m_bModified = true;
        }
        return true;
    }
    default:
        return false;
    }
}

// ------------------------------------------------------------ the sheet

COXPropSheet::COXPropSheet(NODEPARAM& param) : m_page(param) {
    std::vector<SControl> vecControls = CProp100X::GetControls();
    vecControls.push_back(SControl::Captioned(DIALOG_OK, ECtl::Button, TXT_DPS_OK));
    vecControls.push_back(SControl::Captioned(DIALOG_CANCEL, ECtl::Button, TXT_DPS_CANCEL));
    vecControls.push_back(SControl::Captioned(IDC_SHEET_APPLY, ECtl::Button, TXT_DPS_APPLY));
    SetControls(std::move(vecControls));
    SetTitle(TXT_DPS_TITLE);
    m_page.OnInitPage(*this);
    SetPageModified(false);
}

void COXPropSheet::SetPageModified(bool bModified) {
    m_page.SetModified(bModified);
    Enable(IDC_SHEET_APPLY, bModified);
}

SCheck COXPropSheet::LeaveAndApply() {
    SCheck check = m_page.OnKillActive(*this);
    return check.Ok() ? m_page.OnApply(*this) : check;
}

SDialogAction COXPropSheet::OnCommand(CUi& ui, int nId) {
    switch (nId) {
    case DIALOG_OK:
    case IDC_SHEET_APPLY: {
        if (nId == IDC_SHEET_APPLY && !m_page.IsModified()) {
            return SDialogAction::StayOpen();
        }
        SCheck check = LeaveAndApply();
        if (!check.Ok()) {
            return SDialogAction::Fail(check.strMessage, check.nFocusId);
        }
        SetPageModified(false);
        return nId == DIALOG_OK ? SDialogAction::CloseWith(DIALOG_OK) : SDialogAction::StayOpen();
    }
    case DIALOG_CANCEL:
        return SDialogAction::CloseWith(DIALOG_CANCEL);
    default:
        if (m_page.OnSubDialogButton(ui, nId)) {
            SetPageModified(m_page.IsModified());
        }
        return SDialogAction::StayOpen();
    }
}

void COXPropSheet::OnChange(CUi& /*ui*/, int nId) {
    if (CProp100X::IsPageControl(nId)) {
        SetPageModified(true);
    }
}
