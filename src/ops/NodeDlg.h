#pragma once
#include "registry/OXParam.h"
#include "registry/RegistryControls.h"
#include "ui/DialogModel.h"

#include <string>
#include <vector>

// Control ids: IDC_NODE_* in registry/RegistryControls.h (the rules name them
// for the focus); their labels here.
inline constexpr int IDC_NODE_NET_NAME_LABEL = LabelOf(IDC_NODE_NET_NAME);
inline constexpr int IDC_NODE_MODEL_LABEL = LabelOf(IDC_NODE_MODEL);
inline constexpr int IDC_NODE_SERIAL_LABEL = LabelOf(IDC_NODE_SERIAL);
inline constexpr int IDC_NODE_MAC_LABEL = LabelOf(IDC_NODE_MAC);
inline constexpr int IDC_NODE_IP_LABEL = LabelOf(IDC_NODE_IP);
inline constexpr int IDC_NODE_REMARKS_LABEL = LabelOf(IDC_NODE_REMARKS);

inline constexpr int NODEDLG_MODE_NEW = 0;
inline constexpr int NODEDLG_MODE_PROPERTIES = 1;

// The node dialog: a new node, checked on OK against the current network's
// nodes, or the properties of one node, where only the serial number and the
// remarks can change and OK tests nothing. Texts are CP932.
class CNodeDlg : public CDialogModel {
public:
    // node: what the fields show first (a new node: model 0 and the unset
    // address); arrNodes: the current network's nodes, for the uniqueness tests.
    CNodeDlg(int nMode, const std::string& strNetName, const COXParam& node,
             const std::vector<COXParam>& arrNodes);

    const char* GetDialogName() const override { return "CNodeDlg"; }
    SDialogAction OnCommand(CUi& ui, int nId) override;
    // Choosing a model puts the unset address back into the IP field.
    void OnChange(CUi& ui, int nId) override;

    int GetMode() const { return m_nMode; }
    // After OK: model, serial number, MAC, IP (parsed in new mode; in
    // properties mode the one shown) and remarks.
    const COXParam& GetNode() const { return m_node; }

private:
    int m_nMode;
    COXParam m_node;
    const std::vector<COXParam>& m_arrNodes;
};
