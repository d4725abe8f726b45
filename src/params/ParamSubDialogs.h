#pragma once
// The three sub-dialogs that the default-parameter page and the node settings
// dialog both open. They only hold values; the opener fills them, shows them
// and takes the values back after OK.
#include "params/ParamTexts.h"
#include "ui/DialogModel.h"

#include <array>
#include <string>

// "起動ﾌﾟﾛｸﾞﾗﾑ名設定": the 16 start program names. No checks.
class CStartProgramDlg : public CDialogModel {
public:
    CStartProgramDlg();

    const char* GetDialogName() const override { return "CStartProgramDlg"; }
    SDialogAction OnCommand(CUi& ui, int nId) override;

    void SetNames(const std::array<std::string, 16>& arrNames);
    std::array<std::string, 16> GetNames() const;
};

// "汎用設定項目のﾀﾞｲｱﾛｸﾞ": general items 1-8. Items 9 and 10 exist hidden and
// disabled; nothing fills or reads them. No checks.
class CGeneralItemsDlg : public CDialogModel {
public:
    CGeneralItemsDlg();

    const char* GetDialogName() const override { return "CGeneralItemsDlg"; }
    SDialogAction OnCommand(CUi& ui, int nId) override;

    void SetGeneralItems(const std::array<std::string, 8>& arrItems);
    std::array<std::string, 8> GetGeneralItems() const;
};

// "SNMP設定のﾀﾞｲｱﾛｸﾞ": OK (and Enter) end it only after ValidateSnmp passed.
class CSnmpDlg : public CDialogModel {
public:
    CSnmpDlg();

    const char* GetDialogName() const override { return "CSnmpDlg"; }
    SDialogAction OnCommand(CUi& ui, int nId) override;

    // A flag outside its list shows no selection.
    void SetSnmp(const SSnmpTexts& snmp);
    SSnmpTexts GetSnmp() const;
};
