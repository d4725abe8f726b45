// 1024 simulated nodes answer one broadcast search, counted by a raw client.
#include "RawNodeClient.h"

#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <poll.h>
#include <set>

TEST(SimScale, EveryNodeAnswersEveryProbe) {
    ASSERT_TRUE(RawInsideTestNetwork()) << "run me through scripts/testnet";
    CRawUdp udp(65532);
    ASSERT_TRUE(udp.IsOpen());
    // The manager's pacing: a probe every 50 ms.
    for (uint8_t i = 0; i < 16; ++i) {
        ASSERT_TRUE(udp.SendTo("255.255.255.255",
                               {0x76, 0x01, 0x01, 0x01, 0x00, 0x00, i, 0x00, 0x00, 0x0F, 0x95}));
        poll(nullptr, 0, 50);
    }
    std::map<RawBytes, int> mapReplies; // MAC -> replies
    std::set<uint32_t> setUnaddressedSources;
    size_t nTotal = 0;
    SRawDatagram dgram;
    auto tStart = std::chrono::steady_clock::now();
    while (nTotal < 1024 * 16 && udp.Receive(dgram, 3000)) {
        ++nTotal;
        ASSERT_EQ(dgram.vecData.size(), 13u);
        ASSERT_EQ(RawBytes(dgram.vecData.begin(), dgram.vecData.begin() + 4),
                  (RawBytes{0x76, 0x01, 0x02, 0x01}));
        RawBytes mac(dgram.vecData.begin() + 4, dgram.vecData.begin() + 10);
        ++mapReplies[mac];
        if (dgram.dwFromIp == 0xC0A8C8FEu) {
            setUnaddressedSources.insert(uint32_t(mac[4] << 8 | mac[5]));
        }
    }
    auto nMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now() - tStart)
                   .count();
    EXPECT_EQ(mapReplies.size(), 1024u);
    EXPECT_EQ(nTotal, 1024u * 16u);
    for (const auto& [mac, nCount] : mapReplies) {
        EXPECT_EQ(nCount, 16) << RawHex(mac);
    }
    EXPECT_EQ(setUnaddressedSources.size(), 24u); // the last 24 have no address
    std::printf("1024 nodes: %zu replies in %lld ms\n", nTotal, static_cast<long long>(nMs));
}
