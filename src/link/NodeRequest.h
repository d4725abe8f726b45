#pragma once
// Requests composed from values: the header every request starts with and the
// few shapes of body. Nothing here knows of networks or nodes.
#include "link/NodeProtocol.h"
#include "params/NodeParam.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

// A composed request: the bytes to send are the first nLen.
struct SNodeRequest {
    std::array<uint8_t, NODE_REQUEST_BUFFER> abData{};
    size_t nLen = 0;
};

// Clears the buffer and writes signature, code, MAC (text, as TextToMac reads
// it) and model code.
void WriteRequestHeader(uint8_t* pBuf, uint16_t wCode, const std::string& strMac, uint8_t byModel);

// Search, initialise, get parameters and get version: the header alone.
SNodeRequest ComposeShortRequest(uint16_t wCode, const std::string& strMac, uint8_t byModel);
// Mode change (0x0105): the header and the mode byte.
SNodeRequest ComposeModeRequest(const std::string& strMac, uint8_t byModel, int nMode);
// Set parameters (0x0104): the record in network order and its checksum.
SNodeRequest ComposeSetParamRequest(const std::string& strMac, uint8_t byModel,
                                    const NODEPARAM& param);

// The MAC of broadcast probe nProbe (0..15): "0000%02X00000F".
std::string SearchProbeMac(int nProbe);
// The MAC of a probe sent to one address.
inline constexpr char SEARCH_UNICAST_MAC[] = "0000000000000";
inline constexpr int SEARCH_PROBE_COUNT = 16;
