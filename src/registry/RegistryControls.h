#pragma once
// Control ids of the registration dialogs and of the automatic-assignment
// dialog. Their OK and Cancel buttons use DIALOG_OK and DIALOG_CANCEL
// (ui/DialogModel.h) as command ids.

// Network dialog (new network, or a read-only view of the current one).
inline constexpr int IDC_NET_NAME = 1500;
inline constexpr int IDC_NET_MASK = 1501;
inline constexpr int IDC_NET_GATEWAY = 1502;
// On the layout but hidden and unused: automatic assignment owns these values.
inline constexpr int IDC_NET_BASE_IP = 1503;
inline constexpr int IDC_NET_INCREMENT = 1504;
inline constexpr int NET_ADDRESS_LIMIT = 15; // mask and gateway edits

// Node dialog (new node, or the properties of the selected node).
inline constexpr int IDC_NODE_NET_NAME = 1510; // always disabled
inline constexpr int IDC_NODE_MODEL = 1511;    // drop-down list; GetInt: model index
inline constexpr int IDC_NODE_SERIAL = 1512;
inline constexpr int IDC_NODE_MAC = 1513;
inline constexpr int IDC_NODE_IP = 1514;
inline constexpr int IDC_NODE_REMARKS = 1515;
// The model list's selection changed (the IP goes back to the unset address).
inline constexpr int IDC_NODE_MODEL_CHANGED = 1516;
inline constexpr int NODE_MAC_LIMIT = 12;
inline constexpr int NODE_IP_LIMIT = 15;

// Automatic-assignment dialog.
inline constexpr int IDC_AUTO_NOTICE = 1520; // the two-line static text
inline constexpr int IDC_AUTO_MODEL = 1521;  // drop-down list; GetInt: model index
inline constexpr int IDC_AUTO_BASE_IP = 1522;
inline constexpr int IDC_AUTO_INCREMENT = 1523;
inline constexpr int AUTO_BASE_IP_LIMIT = 15;
inline constexpr int AUTO_INCREMENT_LIMIT = 2;
inline constexpr int AUTO_INCREMENT_MIN = 1;
inline constexpr int AUTO_INCREMENT_MAX = 99;
