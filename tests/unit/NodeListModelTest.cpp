#include "app/NodeListModel.h"
#include "DocFixture.h"
#include "ScratchDir.h"

#include <gmock/gmock.h>

#include <cstdio>
#include <string>
#include <vector>

using testing::ElementsAre;

namespace {
constexpr uint32_t IP_1_20 = 0xC0A80114u; // 192.168.1.20
constexpr uint32_t IP_1_3 = 0xC0A80103u;  // 192.168.1.3
constexpr uint32_t IP_10_4 = 0x0A000004u; // 10.0.0.4

std::string Mac(int n) {
    char sz[16];
    std::snprintf(sz, sizeof sz, "0080C8%06X", n);
    return sz;
}

class NodeList : public CDocFixture {
protected:
    void SetUp() override { MakeDoc(); }

    std::vector<COXParam>& Nodes() { return m_pDoc->m_pCurNet->m_arrNodes; }
    void AddNode(uint32_t dwIp, const std::string& strMac, const std::string& strSerial = "",
                 const std::string& strRemarks = "") {
        ASSERT_TRUE(m_pDoc->AddOrUpdateNode(0, dwIp, strMac, true, strSerial, strRemarks));
    }
    // One column of every row, as shown.
    std::vector<std::string> Column(int nColumn) const {
        std::vector<std::string> vec;
        for (size_t i = 0; i < m_model.GetRowCount(); ++i) {
            vec.push_back(m_model.GetText(i, nColumn));
        }
        return vec;
    }
    std::vector<std::string> NodeMacs() {
        std::vector<std::string> vec;
        for (const COXParam& node : Nodes()) {
            vec.push_back(node.m_strMac);
        }
        return vec;
    }
    std::vector<std::string> NodeSerials() {
        std::vector<std::string> vec;
        for (const COXParam& node : Nodes()) {
            vec.push_back(node.m_strSerial);
        }
        return vec;
    }
    // Three nodes registered in the order of the address example.
    void AddAddressExample() {
        m_pDoc->AddNetwork("NET", 0xFFFFFF00u, 0x02020202u);
        AddNode(IP_1_20, Mac(1), "S1", "R1");
        AddNode(IP_1_3, Mac(2), "S2", "R2");
        AddNode(IP_10_4, Mac(3), "S3", "R3");
        m_model.Rebuild(*m_pDoc);
    }

    CNodeListModel m_model;
};

// With a data file in a folder of its own, which outlives the document.
class NodeListFile : public NodeList {
protected:
    void SetUp() override {
        m_strDataPath = m_dir.File("mrvmgr.dat");
        MakeDoc();
    }
    CScratchDir m_dir;
};
} // namespace

TEST(NodeListColumns, TitlesAndWidthsInOrder) {
    std::vector<std::string> vecTitles;
    std::vector<int> vecWidths;
    for (const SNodeListColumn& col : NODELIST_COLUMN_TABLE) {
        vecTitles.push_back(col.pszTitle);
        vecWidths.push_back(col.nWidth);
    }
    EXPECT_THAT(vecTitles, ElementsAre("No.", "機種", "ｼﾘｱﾙNo.", "MACｱﾄﾞﾚｽ", "IPｱﾄﾞﾚｽ", "備考"));
    EXPECT_THAT(vecWidths, ElementsAre(30, 130, 85, 130, 125, 105));
}

TEST_F(NodeList, WithoutNetworkNoRowsAndTheNoNetworkTitle) {
    m_model.Rebuild(*m_pDoc);
    EXPECT_EQ(m_model.GetRowCount(), 0u);
    EXPECT_EQ(m_model.GetTitle(), "ﾈｯﾄﾜｰｸ未選択");
    EXPECT_EQ(m_model.GetText(0, 0), "");
    // A sort has nothing to work on and changes nothing.
    int nUpdates = m_ui.m_nViewUpdates;
    m_model.SortByColumn(*m_pDoc, 4);
    EXPECT_EQ(m_ui.m_nViewUpdates, nUpdates);
    EXPECT_EQ(m_model.GetRowCount(), 0u);
}

TEST_F(NodeList, RowTextsOfEveryColumn) {
    // "ラボ" and "備考欄" in CP932: operator texts are shown in UTF-8.
    m_pDoc->AddNetwork("\x83\x89\x83\x7B", 0xFFFFFF00u, 0x02020202u);
    AddNode(0xC0A8C8FEu, "0080c8aabbcc", "SN-1", "\x94\xF5\x8D\x6C\x97\x93");
    ASSERT_TRUE(m_pDoc->AddOrUpdateNode(1, 0x0A000102u, "0080C8000002", true, "", "x"));
    m_model.Rebuild(*m_pDoc);

    EXPECT_EQ(m_model.GetTitle(), "ラボ");
    ASSERT_EQ(m_model.GetRowCount(), 2u);
    EXPECT_THAT(Column(0), ElementsAre("1", "2"));
    // Only model index 0 has a list text.
    EXPECT_THAT(Column(1), ElementsAre("MRV-620ｼﾘｰｽﾞ", ""));
    EXPECT_THAT(Column(2), ElementsAre("SN-1", ""));
    // The MAC as stored, letter case included.
    EXPECT_THAT(Column(3), ElementsAre("0080c8aabbcc", "0080C8000002"));
    EXPECT_THAT(Column(4), ElementsAre("192.168.200.254", "10.0.1.2"));
    EXPECT_THAT(Column(5), ElementsAre("備考欄", "x"));
    // Outside the table: nothing.
    EXPECT_EQ(m_model.GetText(2, 0), "");
    EXPECT_EQ(m_model.GetText(0, 6), "");
}

TEST_F(NodeList, AtMost1024Rows) {
    m_pDoc->AddNetwork("NET", 0xFFFFFF00u, 0x02020202u);
    // More than the registry itself lets in, as a damaged record might hold.
    for (int i = 0; i < 1030; ++i) {
        COXParam node;
        node.m_dwIp = 0x0A000000u + static_cast<uint32_t>(i);
        node.m_strMac = Mac(i);
        Nodes().push_back(node);
    }
    m_model.Rebuild(*m_pDoc);
    ASSERT_EQ(m_model.GetRowCount(), 1024u);
    EXPECT_EQ(m_model.GetText(1023, 0), "1024");
    EXPECT_EQ(m_model.GetText(1023, 3), Mac(1023));
}

TEST_F(NodeList, RebuildFollowsTheRegistry) {
    AddAddressExample();
    m_pDoc->DeleteNode(0);
    m_model.Rebuild(*m_pDoc);
    // Renumbered from 1.
    EXPECT_THAT(Column(0), ElementsAre("1", "2"));
    EXPECT_THAT(Column(4), ElementsAre("192.168.1.3", "10.0.0.4"));
    m_pDoc->AddNetwork("EMPTY", 0xFFFFFF00u, 0x02020202u);
    m_model.Rebuild(*m_pDoc);
    EXPECT_EQ(m_model.GetTitle(), "EMPTY");
    EXPECT_EQ(m_model.GetRowCount(), 0u);
}

TEST_F(NodeList, IpColumnSortsByTheLastOctetFirstAndTheSecondClickReverses) {
    AddAddressExample();
    EXPECT_TRUE(m_model.IsAscending(4));
    int nUpdates = m_ui.m_nViewUpdates;
    m_model.SortByColumn(*m_pDoc, 4);
    EXPECT_EQ(m_ui.m_nViewUpdates, nUpdates + 1); // one update for the whole re-ordering
    EXPECT_FALSE(m_model.IsAscending(4));
    EXPECT_THAT(Column(4), ElementsAre("192.168.1.3", "10.0.0.4", "192.168.1.20"));
    EXPECT_THAT(Column(0), ElementsAre("1", "2", "3"));
    // The network's nodes follow the rows, details included.
    EXPECT_THAT(NodeMacs(), ElementsAre(Mac(2), Mac(3), Mac(1)));
    EXPECT_THAT(NodeSerials(), ElementsAre("S2", "S3", "S1"));
    EXPECT_EQ(Nodes()[0].m_strRemarks, "R2");

    m_model.SortByColumn(*m_pDoc, 4);
    EXPECT_TRUE(m_model.IsAscending(4));
    EXPECT_THAT(Column(4), ElementsAre("192.168.1.20", "10.0.0.4", "192.168.1.3"));
    EXPECT_THAT(NodeMacs(), ElementsAre(Mac(1), Mac(3), Mac(2)));
    // The other columns kept their own directions.
    for (int nCol : {0, 1, 2, 3, 5}) {
        EXPECT_TRUE(m_model.IsAscending(nCol)) << nCol;
    }
}

TEST_F(NodeListFile, NumberColumnTwiceReversesTheNodeOrderAndTheFileKeepsIt) {
    AddAddressExample();
    m_model.SortByColumn(*m_pDoc, 0); // ascending: as they were
    EXPECT_THAT(NodeMacs(), ElementsAre(Mac(1), Mac(2), Mac(3)));
    m_model.SortByColumn(*m_pDoc, 0);
    EXPECT_THAT(NodeMacs(), ElementsAre(Mac(3), Mac(2), Mac(1)));
    EXPECT_THAT(Column(0), ElementsAre("1", "2", "3"));
    EXPECT_THAT(Column(3), ElementsAre(Mac(3), Mac(2), Mac(1)));
    ASSERT_EQ(m_pDoc->SaveDocument(), 0);

    MakeDoc(); // a new document reads the file
    ASSERT_EQ(m_pDoc->GetNetCount(), 1);
    m_pDoc->UpdateAllViews();
    EXPECT_THAT(NodeMacs(), ElementsAre(Mac(3), Mac(2), Mac(1)));
    EXPECT_THAT(NodeSerials(), ElementsAre("S3", "S2", "S1"));
    EXPECT_EQ(Nodes()[2].m_dwIp, IP_1_20);
    EXPECT_EQ(Nodes()[2].m_strRemarks, "R1");
}

TEST_F(NodeList, TextColumnsIgnoreLetterCaseAndEqualKeysKeepTheirOrder) {
    m_pDoc->AddNetwork("NET", 0xFFFFFF00u, 0x02020202u);
    AddNode(IP_1_3, "0080C8000001", "b", "same");
    AddNode(IP_1_3, "0080c8000003", "A", "SAME");
    AddNode(IP_1_3, "0080C8000002", "C", "Same");
    m_model.Rebuild(*m_pDoc);

    m_model.SortByColumn(*m_pDoc, 2);
    EXPECT_THAT(Column(2), ElementsAre("A", "b", "C"));
    m_model.SortByColumn(*m_pDoc, 2);
    EXPECT_THAT(Column(2), ElementsAre("C", "b", "A"));

    m_model.SortByColumn(*m_pDoc, 3);
    EXPECT_THAT(Column(3), ElementsAre("0080C8000001", "0080C8000002", "0080c8000003"));

    // Remarks equal but for case: the order stays, in either direction.
    std::vector<std::string> vecBefore = Column(5);
    m_model.SortByColumn(*m_pDoc, 5);
    EXPECT_EQ(Column(5), vecBefore);
    m_model.SortByColumn(*m_pDoc, 5);
    EXPECT_EQ(Column(5), vecBefore);
    // Every row has the same model text.
    vecBefore = Column(3);
    m_model.SortByColumn(*m_pDoc, 1);
    m_model.SortByColumn(*m_pDoc, 1);
    EXPECT_EQ(Column(3), vecBefore);
}

TEST_F(NodeList, TextComparisonReadsDoubleByteCharactersWhole) {
    m_pDoc->AddNetwork("NET", 0xFFFFFF00u, 0x02020202u);
    // "ヂ" is 0x83 0x61 and "ア" 0x83 0x41: their second bytes are 'a' and 'A',
    // so a byte-wise comparison ignoring case would take them for equal.
    AddNode(IP_1_3, Mac(1), "\x83\x61");
    AddNode(IP_1_3, Mac(2), "\x83\x41");
    // Full-width letters: "Ａ" (0x82 0x60) counts as its small form 0x82 0x81,
    // so it comes before "ｂ" (0x82 0x82).
    AddNode(IP_1_3, Mac(3), "\x82\x82");
    AddNode(IP_1_3, Mac(4), "\x82\x60");
    // A half-width katakana (one byte) comes before any double-byte character.
    AddNode(IP_1_3, Mac(5), "\xB1");
    m_model.Rebuild(*m_pDoc);

    m_model.SortByColumn(*m_pDoc, 2);
    EXPECT_THAT(Column(2), ElementsAre("ｱ", "Ａ", "ｂ", "ア", "ヂ"));
}

TEST_F(NodeList, FullWidthLettersIgnoreCaseToo) {
    m_pDoc->AddNetwork("NET", 0xFFFFFF00u, 0x02020202u);
    AddNode(IP_1_3, Mac(1), "\x82\x81"); // "ａ"
    AddNode(IP_1_3, Mac(2), "\x82\x60"); // "Ａ"
    m_model.Rebuild(*m_pDoc);
    m_model.SortByColumn(*m_pDoc, 2);
    EXPECT_THAT(NodeMacs(), ElementsAre(Mac(1), Mac(2)));
}

TEST_F(NodeList, SortCutsLongTextsToTheRoomOfARow) {
    m_pDoc->AddNetwork("NET", 0xFFFFFF00u, 0x02020202u);
    AddNode(IP_1_3, Mac(1), std::string(600, 'S'), std::string(511, 'R'));
    // 300 double-byte characters: cut before the one that would not fit whole.
    std::string strWide;
    for (int i = 0; i < 300; ++i) {
        strWide += "\x82\xA0"; // "あ"
    }
    AddNode(IP_1_20, Mac(2), "", strWide);
    m_model.Rebuild(*m_pDoc);
    // The list shows the whole text until a sort reads the rows back.
    EXPECT_EQ(m_model.GetText(0, 2).size(), 600u);

    m_model.SortByColumn(*m_pDoc, 0);
    EXPECT_EQ(Nodes()[0].m_strSerial, std::string(511, 'S'));
    EXPECT_EQ(Nodes()[0].m_strRemarks, std::string(511, 'R'));
    EXPECT_EQ(Nodes()[1].m_strRemarks, strWide.substr(0, 510));
    EXPECT_EQ(m_model.GetText(0, 2), std::string(511, 'S'));
}

TEST_F(NodeList, SortReAddsNodesAsRegistrationDoes) {
    m_pDoc->AddNetwork("NET", 0xFFFFFF00u, 0x02020202u);
    // Two records of one MAC (only a damaged file brings that) and a node of
    // another model: re-adding merges by MAC and gives model 0.
    COXParam first;
    first.m_strMac = "0080c8000001";
    first.m_dwIp = IP_1_3;
    first.m_strSerial = "first";
    COXParam second = first;
    second.m_strMac = "0080C8000001";
    second.m_dwIp = IP_10_4;
    second.m_strSerial = "second";
    COXParam other;
    other.m_nModel = 1;
    other.m_strMac = Mac(9);
    other.m_dwIp = IP_1_20;
    Nodes() = {first, second, other};
    m_model.Rebuild(*m_pDoc);

    m_model.SortByColumn(*m_pDoc, 0);
    ASSERT_EQ(Nodes().size(), 2u);
    EXPECT_EQ(Nodes()[0].m_strMac, "0080C8000001"); // the later text wins
    EXPECT_EQ(Nodes()[0].m_dwIp, IP_10_4);
    EXPECT_EQ(Nodes()[0].m_strSerial, "first"); // the details stay
    EXPECT_EQ(Nodes()[1].m_nModel, 0);
    EXPECT_THAT(Column(0), ElementsAre("1", "2"));
}

TEST_F(NodeList, SortReadsTheDocumentNotAStaleList) {
    AddAddressExample();
    AddNode(0x0A000001u, Mac(4)); // the list has not been told
    m_model.SortByColumn(*m_pDoc, 4);
    EXPECT_EQ(Nodes().size(), 4u);
    EXPECT_THAT(Column(4), ElementsAre("10.0.0.1", "192.168.1.3", "10.0.0.4", "192.168.1.20"));
}
