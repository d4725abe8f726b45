#include "cli/CtlTrace.h"

#include "link/NodeProtocol.h"
#include "platform/IpText.h"
#include "res/Texts.h"

#include <cstdint>

namespace {
std::string Formatted(const char* pszFormat, unsigned nValue) {
    char sz[64];
    std::snprintf(sz, sizeof sz, pszFormat, nValue);
    return sz;
}
} // namespace

std::string DescribeDatagram(bool bOut, const void* pData, size_t nLen, const std::string& strAddr,
                             uint16_t wPort) {
    const auto* pby = static_cast<const uint8_t*>(pData);
    std::string strLine =
        std::string("udp ") + (bOut ? "-> " : "<- ") + strAddr + ":" + std::to_string(wPort);
    if (nLen >= NODEOFS_MAC) {
        strLine += Formatted(" %04X",
                             static_cast<unsigned>(pby[NODEOFS_CODE] << 8 | pby[NODEOFS_CODE + 1]));
    }
    if (nLen >= NODEOFS_MODEL) {
        strLine += ' ';
        for (size_t i = NODEOFS_MAC; i < NODEOFS_MODEL; ++i) {
            strLine += Formatted("%02X", pby[i]);
        }
    }
    if (nLen > NODEOFS_MODE) {
        strLine += Formatted(TXT_CTL_TRACE_MODE, pby[NODEOFS_MODE]);
    }
    if (nLen > NODEOFS_RESULT && !bOut) {
        strLine += Formatted(TXT_CTL_TRACE_RESULT, pby[NODEOFS_RESULT]);
    }
    return strLine + Formatted(TXT_CTL_TRACE_LENGTH, static_cast<unsigned>(nLen));
}

void CTracingDatagramSocket::Trace(bool bOut, const void* pData, size_t nLen,
                                   const std::string& strAddr, uint16_t wPort) {
    std::fprintf(m_pOut, "%s: %s\n", TXT_CTL_PROGRAM_NAME,
                 DescribeDatagram(bOut, pData, nLen, strAddr, wPort).c_str());
    std::fflush(m_pOut);
}

int CTracingDatagramSocket::SendTo(const void* pData, size_t nLen, uint32_t dwIp, uint16_t wPort) {
    int n = m_pInner->SendTo(pData, nLen, dwIp, wPort);
    Trace(true, pData, nLen, FormatIpHost(dwIp), wPort);
    return n;
}

int CTracingDatagramSocket::SendThrough(const void* pData, size_t nLen, uint32_t dwIp,
                                        uint16_t wPort, unsigned nIfIndex) {
    int n = m_pInner->SendThrough(pData, nLen, dwIp, wPort, nIfIndex);
    Trace(true, pData, nLen, FormatIpHost(dwIp), wPort);
    return n;
}

int CTracingDatagramSocket::ReceiveFrom(void* pBuf, size_t nCapacity, std::string& strAddr,
                                        uint16_t& wPort) {
    int n = m_pInner->ReceiveFrom(pBuf, nCapacity, strAddr, wPort);
    if (n >= 0) {
        Trace(false, pBuf, static_cast<size_t>(n), strAddr, wPort);
    }
    return n;
}

size_t CTracingDatagramSocket::ReceiveMany(std::deque<SDatagram>& queue, size_t nMax,
                                           size_t nCapacity) {
    size_t nFirst = queue.size();
    size_t nRead = m_pInner->ReceiveMany(queue, nMax, nCapacity);
    for (size_t i = nFirst; i < queue.size(); ++i) {
        const SDatagram& dgram = queue[i];
        Trace(false, dgram.vecData.data(), dgram.vecData.size(), dgram.strAddr, dgram.wPort);
    }
    return nRead;
}
