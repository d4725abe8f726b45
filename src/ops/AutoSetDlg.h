#pragma once
#include "registry/NetProperty.h"
#include "registry/RegistryControls.h"
#include "ui/DialogModel.h"

#include <cstdint>
#include <memory>
#include <vector>

// Labels of the automatic-assignment dialog.
inline constexpr int IDC_AUTO_MODEL_LABEL = LabelOf(IDC_AUTO_MODEL);
inline constexpr int IDC_AUTO_BASE_IP_LABEL = LabelOf(IDC_AUTO_BASE_IP);
inline constexpr int IDC_AUTO_INCREMENT_LABEL = LabelOf(IDC_AUTO_INCREMENT);

// "ﾉｰﾄﾞ自動設定": the model, the base IP and the increment of a run. It opens
// with "192.168.200.254" and 1 every time, whatever the network holds. OK
// takes the increment as a whole number from 1 to 99, then applies the base
// IP rules under the current network's mask.
class CAutoSetDlg : public CDialogModel {
public:
    CAutoSetDlg(const std::vector<std::unique_ptr<CNetProperty>>& arrNets, int nCurNet);

    const char* GetDialogName() const override { return "CAutoSetDlg"; }
    SDialogAction OnCommand(CUi& ui, int nId) override;

    // After OK.
    int GetModel() const { return GetInt(IDC_AUTO_MODEL); }
    uint32_t GetBaseIp() const { return m_dwBaseIp; }
    int GetIncrement() const { return m_nIncrement; }

private:
    SDialogAction Confirm();

    const std::vector<std::unique_ptr<CNetProperty>>& m_arrNets;
    int m_nCurNet;
    uint32_t m_dwBaseIp = 0;
    int m_nIncrement = 1;
};
