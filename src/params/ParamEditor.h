#pragma once
#include "params/NodeParam.h"
#include "params/ParamTexts.h"
#include "params/ParamValidation.h"
#include "ui/DialogModel.h"

#include <array>
#include <cstdint>
#include <string>

inline constexpr int PARAMEDIT_GET = 0;
inline constexpr int PARAMEDIT_SET = 1;
// The operation-mode switch value that hides the mode display.
inline constexpr int PARAMEDIT_NO_MODE = 10;

// The node settings dialog: shows a whole parameter record for one node and
// ends with OK only through "送信" after its checks passed. It neither sends
// nor receives; the caller fills it, reads it back and sends.
class CParamEditor : public CDialogModel {
public:
    explicit CParamEditor(const NODEPARAM& defParam);

    const char* GetDialogName() const override { return "CParamEditor"; }
    SDialogAction OnCommand(CUi& ui, int nId) override;

    // Every control and member from a record in host order. A list byte
    // outside its list selects nothing (read back as 255).
    void Fill(const NODEPARAM& param);
    // The individual setting of a node: the defaults given to the constructor
    // with the node's listed address and the current network's mask and
    // gateway (host order), in set mode without an operation mode.
    void FillForIndividualSetting(uint32_t dwNodeIp, uint32_t dwSubnetMask, uint32_t dwGateway);
    // PARAMEDIT_GET or PARAMEDIT_SET; the mode text (UTF-8) shows in get mode
    // unless nModeSwitch is PARAMEDIT_NO_MODE.
    void SetMode(int nMode, const std::string& strModeText, int nModeSwitch);
    // The record the dialog holds, built on a copy of the defaults; the
    // terminator bytes behind their counts are those of the record shown.
    NODEPARAM ReadBack() const;
    bool IsOutsideNetwork() const;
    // The values as the checks and the record builder take them.
    SParamTexts GatherTexts() const;

    // Test seam for the own-IP duplicate check.
    void SetPcAddressFn(PcAddressFn fn) { m_fnPcAddress = std::move(fn); }

    int m_nMode = PARAMEDIT_SET;
    int m_nModeSwitch = 0;

private:
    // The three "設定画面" buttons: the sub-dialog gets these members and
    // gives them back on OK; no record is touched.
    void EditStartPrograms(CUi& ui);
    void EditGeneralItems(CUi& ui);
    void EditSnmp(CUi& ui);

    NODEPARAM m_defParam;
    PcAddressFn m_fnPcAddress;
    // The terminators of the record shown: their bytes behind the counts go
    // back unchanged.
    uint8_t m_abFileTerm[2] = {};
    uint8_t m_abRecordTerm[2] = {};
    // Members behind the sub-dialogs; they have no control on this dialog.
    std::array<std::string, 16> m_arrStartProgram;
    std::array<std::string, 8> m_arrGeneralItem;
    SSnmpTexts m_snmp;
};
