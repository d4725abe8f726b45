#pragma once
// The parameter block as it travels in set-parameters requests and
// get-parameters replies (datagram offsets 13 to 729): the record's field
// order, multi-byte numbers big-endian, a checksum at datagram byte 728.
#include "params/NodeParam.h"

#include <cstddef>
#include <cstdint>

inline constexpr int SWAP_TO_NETWORK = 0; // before sending
inline constexpr int SWAP_TO_HOST = 1;    // after receiving

// Converts the eight big-endian fields in place: dwOwnIp, wOwnPort, dwDestIp,
// wDestPort, dwGateway, dwSubnetMask, wMtu, wIdleTimer. The trap address is
// in network order on both sides and stays as it is.
void SwapParamBlock(NODEPARAM& param, int nDirection);

// Datagram byte holding the checksum (block offset 715).
inline constexpr size_t NODEOFS_CHECKSUM = 728;

// Low 8 bits of the sum of datagram bytes 0 to 727, header included, stored in
// byte 728. pDatagram holds a whole 730-byte request.
void ComputeChecksum(uint8_t* pDatagram);
