#include "cli/CtlParamKeys.h"

#include "cli/CtlUi.h"
#include "params/DefaultParamSheet.h"
#include "params/ParamControls.h"
#include "params/ParamFile.h"
#include "params/ParamSubDialogs.h"
#include "params/ParamTexts.h"
#include "platform/Cp932.h"
#include "platform/Profile.h"

#include <cstdio>
#include <optional>
#include <strings.h>

namespace {
std::vector<SCtlParamKey> BuildKeys() {
    auto Field = [](const char* pszKey, int nPageId, int nEditorId) {
        return SCtlParamKey{pszKey, nPageId, nEditorId, ECtlSubDialog::None, 0};
    };
    auto Sub = [](std::string strKey, ECtlSubDialog eSub, int nSubId) {
        return SCtlParamKey{std::move(strKey), 0, 0, eSub, nSubId};
    };
    std::vector<SCtlParamKey> vec = {
        Field("OwnportX", IDC_PRM_OWN_PORT, IDC_PED_OWN_PORT),
        Field("DestipX", IDC_PRM_DEST_IP, IDC_PED_DEST_IP),
        Field("DestportX", IDC_PRM_DEST_PORT, IDC_PED_DEST_PORT),
        Field("TimeX", IDC_PRM_CONNECT_TIMER, IDC_PED_CONNECT_TIMER),
        Field("Trg", IDC_PRM_COMM_TRIGGER, IDC_PED_COMM_TRIGGER),
        Field("Tmo", IDC_PRM_NOCOMM_TIMER, IDC_PED_NOCOMM_TIMER),
        Field("ConnSts", IDC_PRM_CONN_NOTIFY, IDC_PED_CONN_NOTIFY),
        Field("Mtu", IDC_PRM_MTU, IDC_PED_MTU),
        Field("Keep", IDC_PRM_KEEPALIVE, IDC_PED_KEEPALIVE),
        Field("AutoNego", IDC_PRM_AUTONEGO, IDC_PED_AUTONEGO),
        Field("IdleTimer", IDC_PRM_IDLE_TIMER, IDC_PED_IDLE_TIMER),
        Sub("Snmp", ECtlSubDialog::Snmp, IDC_SNMP_ENABLE),
        Sub("TrapIp", ECtlSubDialog::Snmp, IDC_SNMP_TRAP_IP),
        Sub("Trap", ECtlSubDialog::Snmp, IDC_SNMP_AUTH_TRAP),
        Sub("ObjId", ECtlSubDialog::Snmp, IDC_SNMP_OBJECT_ID),
        Sub("GetComm", ECtlSubDialog::Snmp, IDC_SNMP_GET_COMMUNITY),
        Sub("SetComm", ECtlSubDialog::Snmp, IDC_SNMP_SET_COMMUNITY),
        Sub("TrapComm", ECtlSubDialog::Snmp, IDC_SNMP_TRAP_COMMUNITY),
        Sub("Location", ECtlSubDialog::Snmp, IDC_SNMP_LOCATION),
        Sub("Contact", ECtlSubDialog::Snmp, IDC_SNMP_CONTACT),
        Sub("Name", ECtlSubDialog::Snmp, IDC_SNMP_NAME),
        Field("User", IDC_PRM_USER_NAME, IDC_PED_USER_NAME),
        Field("Passw", IDC_PRM_PASSWORD, IDC_PED_PASSWORD),
        Field("Bootp", IDC_PRM_BOOTP, IDC_PED_BOOTP),
        Field("Dhcp", IDC_PRM_DHCP, IDC_PED_DHCP),
        Field("Speed", IDC_PRM_BAUD_RATE, IDC_PED_BAUD_RATE),
        Field("Data", IDC_PRM_DATA_BITS, IDC_PED_DATA_BITS),
        Field("Stop", IDC_PRM_STOP_BITS, IDC_PED_STOP_BITS),
        Field("Parity", IDC_PRM_PARITY, IDC_PED_PARITY),
        Field("Flow", IDC_PRM_FLOW_CONTROL, IDC_PED_FLOW_CONTROL),
        Field("ConnWatch", IDC_PRM_CONN_WATCH, IDC_PED_CONN_WATCH),
        Field("Fterm", IDC_PRM_FILE_TERM, IDC_PED_FILE_TERM),
        Field("Term", IDC_PRM_RECORD_TERM, IDC_PED_RECORD_TERM),
    };
    for (int i = 0; i < 16; ++i) {
        char sz[16];
        std::snprintf(sz, sizeof sz, "Sp%02d", i + 1);
        vec.push_back(Sub(sz, ECtlSubDialog::StartPrograms, StartProgramControlId(i)));
    }
    for (int i = 0; i < 8; ++i) {
        char sz[16];
        std::snprintf(sz, sizeof sz, "Gi%02d", i + 1);
        vec.push_back(Sub(sz, ECtlSubDialog::GeneralItems, GeneralItemControlId(i)));
    }
    vec.push_back(Field("Lndefp", IDC_PRM_LAN_PROTOCOL, IDC_PED_LAN_PROTOCOL));
    vec.push_back(Field("Rsdefp", IDC_PRM_RS_PROTOCOL, IDC_PED_RS_PROTOCOL));
    return vec;
}

struct SSetting {
    const SCtlParamKey* pKey;
    std::string strValue;
};

std::vector<SSetting> ParseSettings(const std::vector<std::string>& vecSettings) {
    std::vector<SSetting> vec;
    for (const std::string& str : vecSettings) {
        SSetting setting{nullptr, {}};
        if (SplitCtlSetting(str, setting.pKey, setting.strValue)) {
            vec.push_back(setting);
        }
    }
    return vec;
}

bool HasSub(const std::vector<SSetting>& vec, ECtlSubDialog eSub) {
    for (const SSetting& setting : vec) {
        if (setting.pKey->eSub == eSub) {
            return true;
        }
    }
    return false;
}

// The sub-dialog's answer: the record's values when filling, then the settings, then OK.
void AnswerSubDialogs(CCtlUi& ui, const std::vector<SSetting>& vecSettings,
                      const NODEPARAM* pFill) {
    SParamTexts texts;
    if (pFill != nullptr) {
        texts = RenderParamTexts(*pFill);
    }
    auto Apply = [&ui, vecSettings](CDialogModel& dlg, ECtlSubDialog eSub) {
        for (const SSetting& setting : vecSettings) {
            if (setting.pKey->eSub == eSub &&
                !ui.Enter(dlg, setting.pKey->nSubId, setting.strValue)) {
                return DIALOG_CANCEL;
            }
        }
        return ui.Close(dlg, DIALOG_OK);
    };
    bool bFill = pFill != nullptr;
    ui.Answer("CStartProgramDlg", [Apply, texts, bFill](CDialogModel& dlg) {
        if (bFill) {
            static_cast<CStartProgramDlg&>(dlg).SetNames(texts.arrStartProgram);
        }
        return Apply(dlg, ECtlSubDialog::StartPrograms);
    });
    ui.Answer("CGeneralItemsDlg", [Apply, texts, bFill](CDialogModel& dlg) {
        if (bFill) {
            static_cast<CGeneralItemsDlg&>(dlg).SetGeneralItems(texts.arrGeneralItem);
        }
        return Apply(dlg, ECtlSubDialog::GeneralItems);
    });
    ui.Answer("CSnmpDlg", [Apply, texts, bFill](CDialogModel& dlg) {
        if (bFill) {
            static_cast<CSnmpDlg&>(dlg).SetSnmp(texts.snmp);
        }
        return Apply(dlg, ECtlSubDialog::Snmp);
    });
}
} // namespace

const std::vector<SCtlParamKey>& GetCtlParamKeys() {
    static const std::vector<SCtlParamKey> s_vec = BuildKeys();
    return s_vec;
}

const SCtlParamKey* FindCtlParamKey(const std::string& strKey) {
    for (const SCtlParamKey& key : GetCtlParamKeys()) {
        if (::strcasecmp(key.strKey.c_str(), strKey.c_str()) == 0) {
            return &key;
        }
    }
    return nullptr;
}

bool SplitCtlSetting(const std::string& strSetting, const SCtlParamKey*& pKey,
                     std::string& strValue) {
    size_t nEq = strSetting.find('=');
    if (nEq == std::string::npos) {
        return false;
    }
    pKey = FindCtlParamKey(strSetting.substr(0, nEq));
    strValue = strSetting.substr(nEq + 1);
    return pKey != nullptr;
}

std::vector<std::pair<std::string, std::string>> RenderParamFile(const NODEPARAM& param) {
    CParamFile file;
    file.m_param = param;
    CProfile profile;
    file.SaveParams(profile);
    std::vector<std::pair<std::string, std::string>> vec;
    for (const SCtlParamKey& key : GetCtlParamKeys()) {
        std::string strValue = profile.GetString(PARAMINI_SECTION_PARAM, key.strKey, "", 256);
        vec.emplace_back(key.strKey, Cp932ToUtf8Lossy(strValue));
    }
    return vec;
}

bool IsParamFile(const std::string& strPath) {
    CProfile profile;
    if (!profile.Load(strPath)) {
        return false;
    }
    // A value no key can hold tells a missing key.
    const std::string strMissing = "\x01";
    for (const SCtlParamKey& key : GetCtlParamKeys()) {
        if (profile.GetString(PARAMINI_SECTION_PARAM, key.strKey, strMissing, 256) != strMissing) {
            return true;
        }
    }
    return false;
}

void AnswerParamDialogs(CCtlUi& ui, bool bPage, const std::vector<std::string>& vecSettings,
                        const NODEPARAM* pFill, std::function<int(CDialogModel&)> fnFinish) {
    std::vector<SSetting> vec = ParseSettings(vecSettings);
    AnswerSubDialogs(ui, vec, pFill);
    std::optional<NODEPARAM> fill;
    if (pFill != nullptr) {
        fill = *pFill;
    }
    ui.Answer(bPage ? "COXPropSheet" : "CParamEditor", [&ui, vec, bPage, fill,
                                                        fnFinish](CDialogModel& dlg) {
        if (bPage && fill.has_value()) {
            NODEPARAM param = *fill;
            CProp100X(param).OnInitPage(dlg);
        }
        for (const SSetting& setting : vec) {
            int nId = bPage ? setting.pKey->nPageId : setting.pKey->nEditorId;
            if (nId != 0 && !ui.Enter(dlg, nId, setting.strValue)) {
                return DIALOG_CANCEL;
            }
        }
        const int arrButtons[3][2] = {
            {IDC_PRM_START_PROGRAMS, IDC_PED_START_PROGRAMS},
            {IDC_PRM_GENERAL_ITEMS, IDC_PED_GENERAL_ITEMS},
            {IDC_PRM_SNMP, IDC_PED_SNMP},
        };
        const ECtlSubDialog arrSubs[3] = {ECtlSubDialog::StartPrograms, ECtlSubDialog::GeneralItems,
                                          ECtlSubDialog::Snmp};
        for (int i = 0; i < 3; ++i) {
            // A filled sheet takes the file's sub-dialog values too.
            if ((bPage && fill.has_value()) || HasSub(vec, arrSubs[i])) {
                if (!ui.Click(dlg, arrButtons[i][bPage ? 0 : 1]) || ui.GetExit() != 0) {
                    return DIALOG_CANCEL;
                }
            }
        }
        return fnFinish(dlg);
    });
}
