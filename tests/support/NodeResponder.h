#pragma once
// Nodes on the in-memory socket: every request the document sends is answered
// the way a node answers it, picked out by the MAC in the request. Each node
// answers with result 0 unless told otherwise, or stays silent.
#include "MemoryDatagramSocket.h"

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

class CNodeResponder {
public:
    using Bytes = std::vector<uint8_t>;
    static constexpr int SILENT = -1;

    // Takes over the socket's send hook.
    explicit CNodeResponder(CMemoryDatagramSocket& socket);

    // The result code node strMac (12 upper-case hex digits) answers with, or SILENT.
    void SetResult(const std::string& strMac, int nResult) { m_mapResult[strMac] = nResult; }
    // The 717 bytes (network order) a node returns for get-parameters; zeros if unset.
    void SetParamBlock(const std::string& strMac, Bytes vecBlock) {
        m_mapBlock[strMac] = std::move(vecBlock);
    }
    // What follows the header of a node's 0x0208 (219 bytes, the version
    // information from offset 13 on); zeros if unset.
    void SetVersionTable(const std::string& strMac, Bytes vecTable) {
        m_mapVersion[strMac] = std::move(vecTable);
    }
    // Requests for which fn says true get no answer.
    void DropIf(std::function<bool(const std::string& strMac, uint16_t wCode, uint8_t byMode)> fn) {
        m_fnDrop = std::move(fn);
    }
    // Runs after each request was taken, before its answer goes out.
    void OnRequest(std::function<void(const CMemoryDatagramSocket::SDatagram&)> fn) {
        m_fnOnRequest = std::move(fn);
    }

    // Requests received, by MAC text, in order.
    std::vector<std::string> RequestMacs() const;
    // "0102 0080C8000001" per request (code and MAC).
    std::vector<std::string> RequestLog() const { return m_vecLog; }

    // A reply header: 76 01, code, MAC, model 95, mode, result.
    static Bytes Reply(uint16_t wCode, const std::string& strMac, uint8_t byMode, uint8_t byResult);

private:
    void Answer(const CMemoryDatagramSocket::SDatagram& dg);

    CMemoryDatagramSocket& m_socket;
    std::map<std::string, int> m_mapResult;
    std::map<std::string, Bytes> m_mapBlock;
    std::map<std::string, Bytes> m_mapVersion;
    std::function<bool(const std::string&, uint16_t, uint8_t)> m_fnDrop;
    std::function<void(const CMemoryDatagramSocket::SDatagram&)> m_fnOnRequest;
    std::vector<std::string> m_vecLog;
};
