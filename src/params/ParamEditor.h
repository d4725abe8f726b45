#pragma once
#include "params/NodeParam.h"
#include "params/ParamTexts.h"
#include "params/ParamValidation.h"
#include "ui/DialogModel.h"

#include <array>
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

    // Every control and member from a record in host order.
    void Fill(const NODEPARAM& param);
    // PARAMEDIT_GET or PARAMEDIT_SET; the mode text (UTF-8) shows in get mode
    // unless nModeSwitch is PARAMEDIT_NO_MODE.
    void SetMode(int nMode, const std::string& strModeText, int nModeSwitch);
    // The record the dialog holds, built on a copy of the defaults.
    NODEPARAM ReadBack() const;
    bool IsOutsideNetwork() const;
    // The values as the checks and the record builder take them.
    SParamTexts GatherTexts() const;

    // Test seam for the own-IP duplicate check.
    void SetPcAddressFn(PcAddressFn fn) { m_fnPcAddress = std::move(fn); }

    int m_nMode = PARAMEDIT_SET;
    int m_nModeSwitch = 0;

private:
    NODEPARAM m_defParam;
    PcAddressFn m_fnPcAddress;
    // Members behind the sub-dialogs; they have no control on this dialog.
    std::array<std::string, 16> m_arrStartProgram;
    std::array<std::string, 8> m_arrGeneralItem;
    SSnmpTexts m_snmp;
};
