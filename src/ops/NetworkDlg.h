#pragma once
#include "registry/NetProperty.h"
#include "registry/RegistryControls.h"
#include "ui/DialogModel.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Control ids: IDC_NET_* in registry/RegistryControls.h (the rules name them
// for the focus), and their labels. The labels of the two hidden edits are
// hidden with them.
inline constexpr int IDC_NET_NAME_LABEL = LabelOf(IDC_NET_NAME);
inline constexpr int IDC_NET_MASK_LABEL = LabelOf(IDC_NET_MASK);
inline constexpr int IDC_NET_GATEWAY_LABEL = LabelOf(IDC_NET_GATEWAY);
inline constexpr int IDC_NET_BASE_IP_LABEL = LabelOf(IDC_NET_BASE_IP);
inline constexpr int IDC_NET_INCREMENT_LABEL = LabelOf(IDC_NET_INCREMENT);

inline constexpr int NETDLG_MODE_NEW = 0;
inline constexpr int NETDLG_MODE_VIEW = 1;

// The network dialog: a new network, checked on OK against the registered
// ones, or a read-only view of one that OK closes untested. Names are CP932.
class CNetworkDlg : public CDialogModel {
public:
    CNetworkDlg(int nMode, const std::string& strName, uint32_t dwMask, uint32_t dwGateway,
                const std::vector<std::unique_ptr<CNetProperty>>& arrNets);

    const char* GetDialogName() const override { return "CNetworkDlg"; }
    SDialogAction OnCommand(CUi& ui, int nId) override;

    int GetMode() const { return m_nMode; }
    // After OK: the name as typed and the parsed mask and gateway (in view
    // mode the values the dialog was opened with).
    const std::string& GetName() const { return m_strName; }
    uint32_t GetMask() const { return m_dwMask; }
    uint32_t GetGateway() const { return m_dwGateway; }

private:
    int m_nMode;
    std::string m_strName;
    uint32_t m_dwMask;
    uint32_t m_dwGateway;
    const std::vector<std::unique_ptr<CNetProperty>>& m_arrNets;
};
