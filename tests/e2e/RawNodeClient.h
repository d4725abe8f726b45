#pragma once
// A small client of its own for the end-to-end tests of the simulated nodes:
// raw datagrams, the simulator's control channel and the test-network guard.
// It shares no code with the manager, so that the two check each other.
#include <cstdint>
#include <string>
#include <vector>

using RawBytes = std::vector<uint8_t>;

struct SRawDatagram {
    RawBytes vecData;
    uint32_t dwFromIp = 0; // host order
    uint16_t wFromPort = 0;
};

// True only inside a network namespace other than the machine's own: that of
// PID 1, or where that cannot be read, the one scripts/testnet names in
// MRVT_HOST_NETNS.
bool RawInsideTestNetwork();

class CRawUdp {
public:
    explicit CRawUdp(uint16_t wLocalPort = 0); // 0: any free port
    ~CRawUdp();
    CRawUdp(const CRawUdp&) = delete;
    CRawUdp& operator=(const CRawUdp&) = delete;

    bool IsOpen() const { return m_fd >= 0; }
    uint16_t LocalPort() const { return m_wPort; }
    bool SendTo(const std::string& strIp, const RawBytes& vecData, uint16_t wPort = 65533);
    // Waits at most nTimeoutMs for one datagram.
    bool Receive(SRawDatagram& dgram, int nTimeoutMs);

private:
    int m_fd = -1;
    uint16_t m_wPort = 0;
};

class CSimControlClient {
public:
    // Connects to the socket named by that variable (the second segment's: MRVSIM_CONTROL2).
    explicit CSimControlClient(const char* pszVariable = "MRVSIM_CONTROL");
    ~CSimControlClient();
    CSimControlClient(const CSimControlClient&) = delete;
    CSimControlClient& operator=(const CSimControlClient&) = delete;

    bool IsOpen() const { return m_fd >= 0; }
    // Sends one request line; returns the whole reply up to and with its OK/ERR line.
    std::string Request(const std::string& strLine);

private:
    int m_fd = -1;
    std::string m_strBuffer;
};

std::string RawIpToText(uint32_t dwIp);
// "76 01 02 01 ..." for readable failure messages.
std::string RawHex(const RawBytes& vec);
// Outcome of a TCP connect to ip:port within 3 s: 0 connected, else errno.
int RawTcpConnect(const std::string& strIp, uint16_t wPort, int* pfdOut = nullptr);
