#pragma once
// Wire constants of the node protocol. Shared with the simulated node, which
// composes and parses its datagrams with its own code.
#include <cstddef>
#include <cstdint>

#include "params/NodeParam.h" // NODE_UNSET_IP

inline constexpr uint16_t NODE_LOCAL_PORT = 65532;  // the manager's endpoint
inline constexpr uint16_t NODE_DEVICE_PORT = 65533; // every node's endpoint

inline constexpr uint8_t NODE_SIGNATURE_0 = 0x76;
inline constexpr uint8_t NODE_SIGNATURE_1 = 0x01;
inline constexpr size_t NODE_HEADER_LEN = 13;
inline constexpr size_t NODE_REQUEST_BUFFER = 730;
inline constexpr size_t NODE_RECEIVE_BUFFER = 2048;

// Header offsets.
inline constexpr size_t NODEOFS_CODE = 2;
inline constexpr size_t NODEOFS_MAC = 4;
inline constexpr size_t NODEOFS_MODEL = 10;
inline constexpr size_t NODEOFS_MODE = 11;
inline constexpr size_t NODEOFS_RESULT = 12;
inline constexpr size_t NODEOFS_PAYLOAD = 13;

inline constexpr uint16_t NODECMD_SEARCH = 0x0101;
inline constexpr uint16_t NODECMD_INITIALIZE = 0x0102;
inline constexpr uint16_t NODECMD_GET_PARAM = 0x0103;
inline constexpr uint16_t NODECMD_SET_PARAM = 0x0104;
inline constexpr uint16_t NODECMD_CHANGE_MODE = 0x0105;
inline constexpr uint16_t NODECMD_MODE_SPECIAL = 0x0106;
inline constexpr uint16_t NODECMD_GET_VERSION = 0x0108;
inline constexpr uint16_t NODECMD_RESPONSE = 0x0100; // added to a request's code

inline constexpr size_t NODELEN_SHORT = 11; // search, initialise, get parameters, get version
inline constexpr size_t NODELEN_MODE = 12;  // mode change, special mode
inline constexpr size_t NODELEN_SET_PARAM = 730;
inline constexpr uint8_t NODE_MODE_SPECIAL_VALUE = 4;

inline constexpr uint8_t MODEL_CODE_MRV620 = 0x95;
inline constexpr int MODEL_INDEX_MRV620 = 0;

inline constexpr uint32_t NODE_BROADCAST_IP = 0xFFFFFFFFu;

// Operation modes a node reports or is switched to.
inline constexpr uint8_t NODEMODE_NORMAL0 = 0;
inline constexpr uint8_t NODEMODE_KERNEL_DOWNLOAD = 6;
inline constexpr uint8_t NODEMODE_SETUP = 7;
