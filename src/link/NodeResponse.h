#pragma once
// Responses decoded into values. Any host on the segment may send anything: a
// datagram that is not a response of the node protocol, or is shorter than the
// fields its code uses, is refused here and never read past its end.
#include "link/NodeProtocol.h"
#include "params/NodeParam.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

inline constexpr uint16_t RESP_SEARCH = NODECMD_SEARCH + NODECMD_RESPONSE;
inline constexpr uint16_t RESP_INITIALIZE = NODECMD_INITIALIZE + NODECMD_RESPONSE;
inline constexpr uint16_t RESP_GET_PARAM = NODECMD_GET_PARAM + NODECMD_RESPONSE;
inline constexpr uint16_t RESP_SET_PARAM = NODECMD_SET_PARAM + NODECMD_RESPONSE;
inline constexpr uint16_t RESP_CHANGE_MODE = NODECMD_CHANGE_MODE + NODECMD_RESPONSE;
inline constexpr uint16_t RESP_MODE_SPECIAL = NODECMD_MODE_SPECIAL + NODECMD_RESPONSE;
inline constexpr uint16_t RESP_UNUSED = 0x0207;
inline constexpr uint16_t RESP_GET_VERSION = NODECMD_GET_VERSION + NODECMD_RESPONSE;

// Board identity and versions are all a version reply needs before its table.
inline constexpr size_t VER_MIN_LENGTH = 32;

// One response. pData points into the receive buffer and is valid while the
// response is handled.
struct SNodeResponse {
    uint16_t wCode = 0;
    std::string strMac; // upper-case text
    uint8_t byModel = 0;
    int nModel = 0; // model index
    uint8_t byMode = 0;
    uint8_t byResult = 0;
    uint32_t dwSenderIp = 0;
    const uint8_t* pData = nullptr;
    size_t nLen = 0;
};

// False for anything that is not a whole response of a known code from the
// device port.
bool DecodeResponse(const uint8_t* pData, size_t nLen, const std::string& strSenderAddr,
                    uint16_t wSenderPort, SNodeResponse& resp);

// The parameter block of a 0x0203, in host order.
NODEPARAM DecodeParamBlock(const SNodeResponse& resp);

// The FTP user name and password in a 0x0203 block, each at most 15 bytes,
// so that an unterminated name never runs into the next field.
struct SFtpAccount {
    std::string strUser;
    std::string strPassword;
};
SFtpAccount DecodeFtpAccount(const SNodeResponse& resp);

// The version information of a 0x0208: board identity, kernel and boot
// versions and the installed applications, whose table ends before the first
// entry with an empty name. Texts stay the node's bytes (CP932), at most 14
// bytes each. Bytes past nLen read as zero: a short table simply ends early.
struct SVersionApp {
    std::string strName;
    int nMajor = 0; // signed bytes on the wire
    int nMinor = 0;
    unsigned nSectors = 0;
    unsigned nValue = 0; // the entry's last 16-bit value (low byte first)
};
struct SVersionInfo {
    std::string strBoard;
    int nKernelMajor = 0;
    int nKernelMinor = 0;
    int nBootMajor = 0;
    int nBootMinor = 0;
    std::vector<SVersionApp> vecApps;
};
inline constexpr size_t VER_MAX_APPS = 10;
SVersionInfo DecodeVersionInfo(const uint8_t* pData, size_t nLen);
// "%d.%02d" of a version.
std::string VersionText(int nMajor, int nMinor);
