#pragma once
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

// A datagram read and kept for later.
struct SDatagram {
    std::vector<uint8_t> vecData;
    std::string strAddr; // the sender, dotted decimal
    uint16_t wPort = 0;
    unsigned nIfIndex = 0; // the interface it came in on; 0 when unknown
};

// A UDP endpoint. Addresses are IPv4 values in host order (first octet in the
// top byte), ports in host order.
class CDatagramSocket {
public:
    virtual ~CDatagramSocket() = default;

    virtual bool Bind(uint16_t wPort) = 0;
    virtual bool SetBroadcast(bool bOn) = 0;
    // Returns the bytes sent, or -1.
    virtual int SendTo(const void* pData, size_t nLen, uint32_t dwIp, uint16_t wPort) = 0;
    // As SendTo, but out through the interface nIfIndex whatever the routing
    // table says (a limited broadcast stays 255.255.255.255). An endpoint that
    // cannot choose sends as SendTo.
    virtual int SendThrough(const void* pData, size_t nLen, uint32_t dwIp, uint16_t wPort,
                            unsigned nIfIndex) {
        (void)nIfIndex;
        return SendTo(pData, nLen, dwIp, wPort);
    }
    // Reads one datagram without blocking. Returns its length (cut to nCapacity),
    // or -1 when nothing is there or the read failed. strAddr gets the sender's
    // dotted-decimal text.
    virtual int ReceiveFrom(void* pBuf, size_t nCapacity, std::string& strAddr,
                            uint16_t& wPort) = 0;
    // The interface the datagram read last came in on; 0 when unknown.
    virtual unsigned GetLastInterface() const { return 0; }
    // Reads up to nMax datagrams without blocking (each cut to nCapacity) and
    // appends them to queue; returns how many were read.
    virtual size_t ReceiveMany(std::deque<SDatagram>& queue, size_t nMax, size_t nCapacity) {
        std::vector<uint8_t> vecBuf(nCapacity);
        size_t nRead = 0;
        while (nRead < nMax) {
            SDatagram dgram;
            int n = ReceiveFrom(vecBuf.data(), vecBuf.size(), dgram.strAddr, dgram.wPort);
            if (n < 0) {
                break;
            }
            dgram.vecData.assign(vecBuf.begin(), vecBuf.begin() + n);
            dgram.nIfIndex = GetLastInterface();
            queue.push_back(std::move(dgram));
            ++nRead;
        }
        return nRead;
    }
    // Readable when a datagram waits; -1 when closed or never created.
    virtual int GetDescriptor() const = 0;
    virtual void Close() = 0;
};
