// Datagrams through the document's receive path, each in a pending state the
// input chooses (every state the endpoint knows, and some it does not). The
// settings dialog a 0x0203 opens is sent or left as the input says; the node
// answers the send with the next datagram of the input, dispatched inside
// that exchange.
// With flag 16 the registered nodes also await replies side by side, as a
// run over many nodes has them wait (one exchange each, its reply code picked
// by the flags).
// Oracles: a datagram the decoder refuses changes nothing (state, registry,
// messages, sends); a reply an exchange awaits settles exactly that exchange,
// done only on result 0, and touches neither the pending state nor the
// messages nor the wire; any other accepted one leaves the state as it was, settled, or
// failed only on a result code other than 0; a search reply registers its
// sender under its MAC; the FTP account is at most 15 bytes without NUL;
// every request sent is whole with its checksum; the registry keeps MACs of
// 12 upper-case hex digits, at most 1024 nodes a network, and survives a save
// and a load unchanged; nothing outside the scratch folder changes.
#include "FuzzDoc.h"
#include "FuzzSupport.h"
#include "link/NodeCodec.h"
#include "link/NodeResponse.h"
#include "link/SettingsPayload.h"
#include "params/ParamControls.h"

#include <algorithm>
#include <deque>
#include <iterator>
#include <set>

namespace {
struct SEvent {
    int32_t nPending = PENDING_NONE;
    std::string strAddr;
    uint16_t wPort = NODE_DEVICE_PORT;
    std::vector<uint8_t> vecData;
};

const int32_t PENDING_STATES[] = {PENDING_NONE,
                                  PENDING_SEARCH,
                                  PENDING_INITIALIZE,
                                  PENDING_GET_PARAM,
                                  PENDING_SET_PARAM,
                                  PENDING_CHANGE_MODE,
                                  PENDING_GET_VERSION,
                                  PENDING_GET_ACCOUNT,
                                  PENDING_ERROR,
                                  7,
                                  99};
// Dotted texts only, as the endpoint reports senders: any other text would go
// to the host-name resolver.
const char* const SENDERS[] = {"192.168.1.10", "192.168.200.254", "10.0.0.1", "255.255.255.255",
                               "0.0.0.0"};

// The replies an exchange may await; a mode change's is settled by either of its codes.
const uint16_t EXCHANGE_CODES[] = {RESP_SEARCH,      RESP_INITIALIZE,  RESP_GET_PARAM,
                                   RESP_SET_PARAM,   RESP_CHANGE_MODE, RESP_MODE_SPECIAL,
                                   RESP_GET_VERSION, RESP_UNUSED};
using ExchangeKey = std::pair<std::string, uint16_t>;
ExchangeKey KeyOf(const std::string& strMac, uint16_t wCode) {
    return {strMac, wCode == RESP_MODE_SPECIAL ? RESP_CHANGE_MODE : wCode};
}

bool IsMacText(const std::string& str) {
    return str.size() == 12 && std::all_of(str.begin(), str.end(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
           });
}

void CheckSent(const CMemoryDatagramSocket::SDatagram& dg) {
    const std::vector<uint8_t>& vec = dg.vecData;
    FUZZ_CHECK(vec.size() >= NODELEN_SHORT && vec[0] == NODE_SIGNATURE_0 &&
                   vec[1] == NODE_SIGNATURE_1,
               "a request without its header went out");
    if (vec[NODEOFS_CODE] == (NODECMD_SET_PARAM >> 8) &&
        vec[NODEOFS_CODE + 1] == (NODECMD_SET_PARAM & 0xFF)) {
        FUZZ_CHECK(vec.size() == NODELEN_SET_PARAM, "a set request of another length went out");
        std::vector<uint8_t> vecCopy = vec;
        ComputeChecksum(vecCopy.data());
        FUZZ_CHECK(vecCopy[NODEOFS_CHECKSUM] == vec[NODEOFS_CHECKSUM],
                   "a set request went out with a wrong checksum");
    }
}
} // namespace

// Input: a flags byte (a current network, up to three nodes, whether the
// settings dialog sends), then datagrams, each: pending state, sender, port
// (0: the device port, else a WORD follows), length (WORD) and its bytes.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
    CInputReader in(pData, nSize);
    CFuzzScratch& scratch = CFuzzScratch::Get();
    SFuzzDoc doc;
    COrvixDoc& d = *doc.pDoc;
    const uint8_t byFlags = in.Byte();
    if ((byFlags & 1) != 0) {
        d.AddNetwork("NET", 0xFFFFFF00u, 0xC0A80101u);
        for (int i = (byFlags >> 1) & 3; i > 0; --i) {
            uint8_t abMac[6] = {0x00, 0x80, 0xC8, 0, 0, static_cast<uint8_t>(i)};
            d.AddOrUpdateNode(0, 0xC0A80100u + static_cast<uint32_t>(i), MacToText(abMac), true,
                              "SN", "");
        }
    }
    std::set<ExchangeKey> setOpen;                       // the exchanges awaiting their reply
    std::vector<std::pair<ExchangeKey, int>> vecSettled; // each settlement with its outcome
    if ((byFlags & 16) != 0 && d.m_pCurNet != nullptr) {
        for (int i = 0; i < static_cast<int>(d.m_pCurNet->m_arrNodes.size()); ++i) {
            const uint16_t wCode =
                EXCHANGE_CODES[static_cast<size_t>((byFlags >> 5) + i) % std::size(EXCHANGE_CODES)];
            const ExchangeKey key =
                KeyOf(d.m_pCurNet->m_arrNodes[static_cast<size_t>(i)].m_strMac, wCode);
            const bool bOpened = d.ExchangeWithNode(
                i, wCode, [] {}, 60000,
                [&, key](int nOutcome, const SNodeResponse* pReply) {
                    FUZZ_CHECK(pReply != nullptr && setOpen.count(key) != 0,
                               "an exchange was settled without its reply");
                    setOpen.erase(key);
                    vecSettled.emplace_back(key, nOutcome);
                });
            FUZZ_CHECK(bOpened, "an exchange with a registered node did not open");
            setOpen.insert(key);
        }
    }
    std::deque<SEvent> queue;
    while (!in.AtEnd() && queue.size() < 8) {
        SEvent ev;
        ev.nPending = PENDING_STATES[in.Byte() % std::size(PENDING_STATES)];
        ev.strAddr = SENDERS[in.Byte() % std::size(SENDERS)];
        ev.wPort = in.Byte() == 0 ? NODE_DEVICE_PORT : in.Word();
        std::string strBytes = in.Bytes(in.Word() % (NODE_RECEIVE_BUFFER + 64));
        ev.vecData.assign(strBytes.begin(), strBytes.end());
        queue.push_back(std::move(ev));
    }
    const bool bSendSettings = (byFlags & 8) != 0;
    doc.ui.Answer("CParamEditor", [&](CDialogModel& dlg) {
        return bSendSettings ? doc.ui.Close(dlg, IDC_PED_SEND) : DIALOG_CANCEL;
    });
    doc.ui.Answer("CVersionInfoDlg",
                  [&](CDialogModel& dlg) { return doc.ui.Close(dlg, DIALOG_OK); });
    // The node answers what the document sends with the next datagram.
    doc.pSocket->SetSendHook([&](const CMemoryDatagramSocket::SDatagram& dg) {
        CheckSent(dg);
        if (!queue.empty()) {
            SEvent ev = std::move(queue.front());
            queue.pop_front();
            doc.pSocket->Inject(ev.vecData, ev.strAddr, ev.wPort);
        }
    });

    while (!queue.empty()) {
        SEvent ev = std::move(queue.front());
        queue.pop_front();
        for (int i = 0; i < 64 && doc.pSocket->GetQueued() > 0; ++i) {
            doc.pump.PumpPendingMessages(); // a reply left over from an exchange
        }
        d.GetSocket().m_nPending = ev.nPending;
        const SRegistrySnapshot snapBefore = SnapshotRegistry(d);
        const size_t nMessagesBefore = doc.ui.GetMessages().size();
        const size_t nSentBefore = doc.pSocket->GetSent().size();

        // What the decoder makes of it, on a copy exactly as long as what the endpoint reads.
        std::vector<uint8_t> vecExact(
            ev.vecData.begin(), ev.vecData.begin() + static_cast<std::ptrdiff_t>(std::min(
                                                         ev.vecData.size(), NODE_RECEIVE_BUFFER)));
        SNodeResponse resp;
        const bool bValid =
            DecodeResponse(vecExact.data(), vecExact.size(), ev.strAddr, ev.wPort, resp);

        const bool bRouted = bValid && setOpen.count(KeyOf(resp.strMac, resp.wCode)) != 0;
        const size_t nSettledBefore = vecSettled.size();

        doc.pSocket->Inject(ev.vecData, ev.strAddr, ev.wPort);
        doc.pump.PumpPendingMessages();
        const int32_t nAfter = d.GetSocket().m_nPending;
        const bool bSent = doc.pSocket->GetSent().size() != nSentBefore;

        if (bRouted) {
            const int nOutcome = resp.byResult == 0 ? EXCHANGE_DONE : EXCHANGE_ABNORMAL;
            FUZZ_CHECK(vecSettled.size() == nSettledBefore + 1 &&
                           vecSettled.back().first == KeyOf(resp.strMac, resp.wCode) &&
                           vecSettled.back().second == nOutcome,
                       "a reply an exchange awaits did not settle exactly it, by its result");
            FUZZ_CHECK(nAfter == ev.nPending && !bSent &&
                           doc.ui.GetMessages().size() == nMessagesBefore,
                       "a reply an exchange awaits reached the window's operation");
            continue;
        }
        FUZZ_CHECK(bSent || vecSettled.size() == nSettledBefore,
                   "a reply settled an exchange that does not await it");

        if (!bValid) {
            FUZZ_CHECK(nAfter == ev.nPending, "a refused datagram changed the pending state");
            FUZZ_CHECK(SnapshotRegistry(d) == snapBefore,
                       "a refused datagram changed the registry");
            FUZZ_CHECK(doc.ui.GetMessages().size() == nMessagesBefore,
                       "a refused datagram showed a message");
            FUZZ_CHECK(!bSent, "a refused datagram made the document send");
            continue;
        }
        FUZZ_CHECK(nAfter == ev.nPending || nAfter == PENDING_NONE || nAfter == PENDING_ERROR,
                   "a reply left the pending state " + std::to_string(nAfter));
        FUZZ_CHECK(nAfter != PENDING_ERROR || ev.nPending == PENDING_ERROR || resp.byResult != 0 ||
                       bSent,
                   "a reply with result 0 failed the waiting operation");
        if (resp.wCode == RESP_SEARCH && d.m_pCurNet != nullptr && !bSent) {
            const auto& arrNodes = d.m_pCurNet->m_arrNodes;
            bool bFound = std::any_of(arrNodes.begin(), arrNodes.end(), [&](const COXParam& node) {
                return node.m_strMac == resp.strMac && node.m_dwIp == resp.dwSenderIp;
            });
            FUZZ_CHECK(bFound || d.m_setRefusedMacs.count(resp.strMac) != 0,
                       "a search reply did not register its sender");
        }
        if (resp.wCode == RESP_GET_PARAM && ev.nPending == PENDING_GET_ACCOUNT) {
            const std::string& strUser = d.GetSocket().m_strFtpUser;
            const std::string& strPassword = d.GetSocket().m_strFtpPassword;
            FUZZ_CHECK(!strUser.empty() && strUser.size() <= 15 && strPassword.size() <= 15 &&
                           strUser.find('\0') == std::string::npos &&
                           strPassword.find('\0') == std::string::npos,
                       "the FTP account is not two texts of at most 15 bytes: " + Shown(strUser));
        }
        if (!bSent) {
            size_t nBefore = 0;
            size_t nNow = 0;
            for (const auto& net : snapBefore.vecNets) {
                nBefore += std::get<5>(net).size();
            }
            for (const auto& pNet : d.m_arrNets) {
                nNow += pNet->m_arrNodes.size();
            }
            FUZZ_CHECK(nNow <= nBefore + 1, "one reply registered more than one node");
        }
    }

    for (const auto& pNet : d.m_arrNets) {
        FUZZ_CHECK(pNet->m_arrNodes.size() <= NET_MAX_NODES,
                   "a network holds more than 1024 nodes");
        for (const COXParam& node : pNet->m_arrNodes) {
            FUZZ_CHECK(IsMacText(node.m_strMac), "a node's MAC is no MAC: " + Shown(node.m_strMac));
        }
    }
    // What the nodes told the registry survives the data file.
    scratch.Clear({"home", "run", "tmp"});
    const SRegistrySnapshot snap = SnapshotRegistry(d);
    {
        SFuzzDoc saver(scratch.File("mrvmgr.dat"));
        saver.pDoc->m_arrNets.clear();
        for (const auto& pNet : d.m_arrNets) {
            saver.pDoc->m_arrNets.push_back(std::make_unique<CNetProperty>(*pNet));
        }
        saver.pDoc->m_nCurNet = d.m_nCurNet;
        FUZZ_CHECK(saver.pDoc->SaveDocument() == 0, "the registry could not be saved");
        saver.pDoc->SetSaveOnClose(false);
    }
    SFuzzDoc loaded(scratch.File("mrvmgr.dat"));
    loaded.pDoc->SetSaveOnClose(false);
    FUZZ_CHECK(loaded.ui.GetMessages().empty() && SnapshotRegistry(*loaded.pDoc) == snap,
               "the registry the replies made does not survive a save and a load");
    scratch.CheckOutsideUnchanged();
    return 0;
}
