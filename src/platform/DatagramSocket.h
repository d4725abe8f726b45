#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// A UDP endpoint. Addresses are IPv4 values in host order (first octet in the
// top byte), ports in host order.
class CDatagramSocket {
public:
    virtual ~CDatagramSocket() = default;

    virtual bool Bind(uint16_t wPort) = 0;
    virtual bool SetBroadcast(bool bOn) = 0;
    // Returns the bytes sent, or -1.
    virtual int SendTo(const void* pData, size_t nLen, uint32_t dwIp, uint16_t wPort) = 0;
    // Reads one datagram without blocking. Returns its length (cut to nCapacity),
    // or -1 when nothing is there or the read failed. strAddr gets the sender's
    // dotted-decimal text.
    virtual int ReceiveFrom(void* pBuf, size_t nCapacity, std::string& strAddr,
                            uint16_t& wPort) = 0;
    // Readable when a datagram waits; -1 when closed or never created.
    virtual int GetDescriptor() const = 0;
    virtual void Close() = 0;
};
