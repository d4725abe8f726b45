#pragma once
// The node's side of the datagram format: parsing requests and composing
// replies. Written independently of the manager's codec so that the two check
// each other.
#include "link/NodeProtocol.h"
#include "params/NodeParam.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

using SimBytes = std::vector<uint8_t>;
using SimMac = std::array<uint8_t, 6>;

// Result codes a node puts into byte 12 of a refusing reply.
inline constexpr uint8_t SIMRESULT_OK = 0x00;
inline constexpr uint8_t SIMRESULT_BAD_CHECKSUM = 0x01;
inline constexpr uint8_t SIMRESULT_BAD_LENGTH = 0x02;
inline constexpr uint8_t SIMRESULT_BAD_VALUE = 0x03;
inline constexpr uint8_t SIMRESULT_BAD_MODE = 0x04;

inline constexpr size_t SIMLEN_VERSION_REPLY = 232;
inline constexpr size_t SIMLEN_PARAM_REPLY = NODEOFS_PAYLOAD + NODEPARAM_SIZE; // 730
inline constexpr size_t SIM_VERSION_APPS = 10;
inline constexpr size_t SIM_VERSION_NAME = 14;

struct SSimRequest {
    uint16_t wCode = 0;
    SimMac mac{};
    uint8_t byModel = 0;
    uint8_t byMode = 0;
    size_t nLength = 0;
    const uint8_t* pData = nullptr; // the whole datagram, valid while the caller's buffer is
};

// A request is a datagram with the signature, a request code and at least the
// bytes its command needs; anything else is not for a node.
bool SimParseRequest(const uint8_t* pData, size_t nLength, SSimRequest& req);
size_t SimRequiredLength(uint16_t wCode); // 0 for codes a node does not know

SimBytes SimComposeHeader(uint16_t wCode, const SimMac& mac, uint8_t byModel, uint8_t byMode,
                          uint8_t byResult);

// The record on the wire: multi-byte numbers big-endian, the trap address as is.
void SimEncodeParam(const NODEPARAM& param, uint8_t* pBlock);
void SimDecodeParam(const uint8_t* pBlock, NODEPARAM& param);

// Low 8 bits of the sum of datagram bytes 0..727, expected in byte 728.
uint8_t SimParamChecksum(const uint8_t* pDatagram);

struct SSimAppVersion {
    std::string strName;
    int8_t chMajor = 1;
    int8_t chMinor = 0;
    uint16_t wSectors = 0;
    uint16_t wSum = 0;
};

struct SSimVersionInfo {
    std::string strBoard;
    int8_t chKernelMajor = 0, chKernelMinor = 0;
    int8_t chBootMajor = 0, chBootMinor = 0;
    std::vector<SSimAppVersion> vecApps; // at most ten travel
};

// Appends the version payload to a 13-byte header: 232 bytes in all.
void SimAppendVersion(SimBytes& vecReply, const SSimVersionInfo& info);

std::string SimMacToText(const SimMac& mac);
bool SimTextToMac(const std::string& strText, SimMac& mac); // exactly 12 hex digits
std::string SimIpToText(uint32_t dwIp);                     // host order
bool SimTextToIp(const std::string& strText, uint32_t& dwIp);
