// The decoders of what nodes send: a datagram into a response, its parameter
// block, its FTP account, its version table; and what the FTP client printed
// of the node's server's replies.
// Oracles: every decoder reads only the datagram's own bytes (each gets a copy
// exactly as long); a datagram is taken exactly when its header, code, length
// and sender port are those of a response; the MAC text is 12 upper-case hex
// digits that read back into the same bytes; the block converts back to the
// bytes it came from; the account texts are at most 15 bytes without NUL; the
// version decoder and its dialog list the entries up to the first empty one,
// texts of at most 14 bytes; a server reply is a reply line of the marked
// command, and a transfer counts as done only on 226 or 250.
#include "FuzzSupport.h"
#include "doc/FtpRun.h"
#include "doc/VersionInfoDlg.h"
#include "link/NodeCodec.h"
#include "link/NodeResponse.h"
#include "link/SettingsPayload.h"

#include <cstring>
#include <memory>

namespace {
size_t MinimumLength(uint16_t wCode) {
    return wCode == RESP_GET_PARAM     ? NODE_HEADER_LEN + NODEPARAM_SIZE
           : wCode == RESP_GET_VERSION ? VER_MIN_LENGTH
                                       : NODE_HEADER_LEN;
}

void CheckDatagram(const std::vector<uint8_t>& vecData, uint16_t wPort) {
    // A heap copy of exactly the datagram's length: a read past it is a finding.
    std::unique_ptr<uint8_t[]> pExact(new uint8_t[vecData.size() + (vecData.empty() ? 1 : 0)]);
    if (!vecData.empty()) {
        std::memcpy(pExact.get(), vecData.data(), vecData.size());
    }
    const uint8_t* p = pExact.get();
    const size_t nLen = vecData.size();
    SNodeResponse resp;
    const bool bTaken = DecodeResponse(p, nLen, "192.168.1.10", wPort, resp);
    const uint16_t wCode = nLen >= 4 ? static_cast<uint16_t>(p[2] << 8 | p[3]) : 0;
    const bool bExpected = wPort == NODE_DEVICE_PORT && nLen >= 4 && p[0] == NODE_SIGNATURE_0 &&
                           p[1] == NODE_SIGNATURE_1 && wCode >= RESP_SEARCH &&
                           wCode <= RESP_GET_VERSION && nLen >= MinimumLength(wCode);
    FUZZ_CHECK(bTaken == bExpected, "a datagram was taken or refused against its form");
    if (!bTaken) {
        return;
    }
    FUZZ_CHECK(resp.wCode == wCode && resp.dwSenderIp == 0xC0A8010Au && resp.nLen == nLen,
               "the response does not say what the datagram holds");
    FUZZ_CHECK(resp.strMac.size() == 12 &&
                   resp.strMac.find_first_not_of("0123456789ABCDEF") == std::string::npos,
               "the MAC text is not 12 upper-case hex digits: " + Shown(resp.strMac));
    uint8_t abMac[6];
    TextToMac(resp.strMac, abMac);
    FUZZ_CHECK(std::memcmp(abMac, p + NODEOFS_MAC, 6) == 0, "the MAC text reads back otherwise");

    if (wCode == RESP_GET_PARAM) {
        NODEPARAM param = DecodeParamBlock(resp);
        SwapParamBlock(param, SWAP_TO_NETWORK);
        FUZZ_CHECK(std::memcmp(&param, p + NODEOFS_PAYLOAD, sizeof param) == 0,
                   "the parameter block does not convert back to its bytes");
        SFtpAccount account = DecodeFtpAccount(resp);
        for (const std::string* pText : {&account.strUser, &account.strPassword}) {
            FUZZ_CHECK(pText->size() <= 15 && pText->find('\0') == std::string::npos,
                       "an account text is not 15 bytes without NUL: " + Shown(*pText));
        }
    }
    if (wCode == RESP_GET_VERSION) {
        const SVersionInfo info = DecodeVersionInfo(resp.pData, resp.nLen);
        FUZZ_CHECK(info.strBoard.size() <= 14 && info.strBoard.find('\0') == std::string::npos &&
                       info.vecApps.size() <= VER_MAX_APPS,
                   "the version information is not a board text and at most 10 entries");
        CVersionInfoDlg dlg(resp.pData, resp.nLen);
        FUZZ_CHECK(dlg.GetText(IDC_VER_BOARD_ID) == info.strBoard,
                   "the dialog and the decoder read another board identity");
        FUZZ_CHECK(dlg.GetText(IDC_VER_BOARD_ID).size() <= 14 &&
                       dlg.GetText(IDC_VER_BOARD_ID).find('\0') == std::string::npos,
                   "the board identity is not a text of at most 14 bytes");
        bool bEnded = false;
        for (int k = 0; k < VER_MAX_ROWS; ++k) {
            const size_t nAt = 32 + 20 * static_cast<size_t>(k);
            const bool bEntry = !bEnded && nAt < nLen && p[nAt] != 0;
            bEnded = bEnded || !bEntry;
            const std::string& strName = dlg.GetText(CVersionInfoDlg::RowName(k));
            FUZZ_CHECK(bEntry == !strName.empty(),
                       "row " + std::to_string(k) + " is filled against the table");
            FUZZ_CHECK(strName.size() <= 14 && strName.find('\0') == std::string::npos,
                       "an application name is not a text of at most 14 bytes");
            FUZZ_CHECK(bEntry == (static_cast<size_t>(k) < info.vecApps.size()) &&
                           (!bEntry || info.vecApps[static_cast<size_t>(k)].strName == strName),
                       "the decoder's entry " + std::to_string(k) + " is not the dialog's");
        }
    }
}

void CheckReply(const std::string& strOutput, const std::string& strErrors) {
    const std::string strMarker = FtpMarkerLine("/tmp/mrvmgr-ftp-1-abcdef");
    SFtpReply reply = ReadMarkedReply(strOutput, strErrors, strMarker);
    FUZZ_CHECK(reply.nCode == 0 || (reply.nCode >= 100 && reply.nCode <= 599),
               "a reply code out of range: " + std::to_string(reply.nCode));
    FUZZ_CHECK(reply.strText.find('\n') == std::string::npos, "a reply text of several lines");
    if (reply.nCode != 0) {
        FUZZ_CHECK(reply.strText.compare(0, 3, std::to_string(reply.nCode)) == 0 &&
                       strOutput.find(reply.strText) != std::string::npos,
                   "the reply is not a line of the output");
    }
    const int nResult = TransferResult(reply);
    FUZZ_CHECK((nResult == FTPRUN_OK) == (reply.nCode == 226 || reply.nCode == 250),
               "a transfer counts as done without 226 or 250");
}
} // namespace

// Input: a mode byte, then a datagram (mode even; with mode bits 1-3 all set
// a WORD sender port comes first), or the client's standard error up to a NUL
// and its standard output, in which "@M" stands for the marker line.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
    CInputReader in(pData, nSize);
    const uint8_t byMode = in.Byte();
    if ((byMode & 1) == 0) {
        const uint16_t wPort = (byMode & 0x0E) == 0x0E ? in.Word() : NODE_DEVICE_PORT;
        std::string str = in.Bytes(NODE_RECEIVE_BUFFER); // the endpoint reads no more
        CheckDatagram(std::vector<uint8_t>(str.begin(), str.end()), wPort);
        return 0;
    }
    std::string strErrors = in.Until('\0');
    std::string strOutput = in.Rest();
    const std::string strMarker = FtpMarkerLine("/tmp/mrvmgr-ftp-1-abcdef");
    for (size_t nAt; (nAt = strOutput.find("@M")) != std::string::npos;) {
        strOutput.replace(nAt, 2, strMarker);
    }
    CheckReply(strOutput, strErrors);
    return 0;
}
