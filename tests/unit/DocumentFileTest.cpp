#include "DocFixture.h"
#include "res/Texts.h"

#include <gtest/gtest.h>

#include <csignal>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {
// The characters of a text, without a length prefix.
Bytes Txt(const std::string& str) {
    return Bytes(str.begin(), str.end());
}

Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts) {
        out.insert(out.end(), part.begin(), part.end());
    }
    return out;
}

const Bytes kNetClass = Cat({{0xFF, 0xFF, 0x00, 0x00, 0x0C, 0x00}, Txt("CNetProperty")});
const Bytes kNodeClass = Cat({{0xFF, 0xFF, 0x00, 0x00, 0x08, 0x00}, Txt("COXParam")});
const Bytes kIpClass = Cat({{0xFF, 0xFF, 0x00, 0x00, 0x0D, 0x00}, Txt("CIpSearchList")});
// Base IP 192.168.200.254, increment 1, mask 255.255.255.0, gateway 2.2.2.2.
const Bytes kNetDefaults{0xFE, 0xC8, 0xA8, 0xC0, 0x01, 0x00, 0xFF,
                         0xFF, 0xFF, 0x02, 0x02, 0x02, 0x02};

const Bytes kEmptyRegistry{0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};

// Two registered addresses, one search target, network "A" with one node and "B" without.
const Bytes kListsAndNetworks = Cat({
    {0x02, 0x00, 0x01, 0x00, 0x02, 0x00, 0x01, 0x00},
    kIpClass,
    Txt("192.168.200.180"), // CIpSearchList 1, object 2: all 15 bytes, no terminator
    {0x01, 0x80},
    Txt("10.0.0.1"),
    Bytes(7, 0x00),
    {0x01, 0x80},
    Txt("10.0.0.1"),
    Bytes(7, 0x00),
    {0x02, 0x00},
    kNetClass,
    {0x01, 'A'},
    kNetDefaults,
    {0x01, 0x00, 0x01, 0x00}, // CNetProperty 5, object 6
    kNodeClass,
    {0x00, 0x02, 'S', '1'},
    {0x0C},
    Txt("00A0C90000AA"), // COXParam 7, object 8
    {0x0F, 0x00, 0x00, 0x0A},
    {0x00},
    {0x05, 0x80, 0x01, 'B'},
    kNetDefaults,
    {0x00, 0x00, 0x00, 0x00},
});
} // namespace

class DocumentFileTest : public CDocFixture {
protected:
    DocumentFileTest() {
        char szDir[] = "/tmp/orvix-doc-XXXXXX";
        m_strDir = mkdtemp(szDir);
        m_strPath = m_strDir + "/mrvmgr.dat";
        m_strDataPath = m_strPath;
    }
    ~DocumentFileTest() override {
        m_pDoc.reset();
        std::error_code ec;
        fs::remove_all(m_strDir, ec);
    }

    COrvixDoc& OpenDoc() { return MakeDoc(); }
    void CloseDoc() { m_pDoc.reset(); }

    static Bytes ReadBytes(const std::string& strPath) {
        std::ifstream in(strPath, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    static void WriteBytes(const std::string& strPath, const Bytes& data) {
        std::ofstream out(strPath, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data.data()),
                  static_cast<std::streamsize>(data.size()));
    }
    // Bytes of the data file after the document has been saved at its end.
    Bytes SavedBytes() {
        CloseDoc();
        return ReadBytes(m_strPath);
    }
    std::vector<std::string> DirNames() const {
        std::vector<std::string> vec;
        for (const auto& entry : fs::directory_iterator(m_strDir)) {
            vec.push_back(entry.path().filename().string());
        }
        std::sort(vec.begin(), vec.end());
        return vec;
    }
    // The next message tells that the data file was unreadable and was moved
    // aside under a name with the time in it.
    void ExpectMovedAside() {
        m_ui.ExpectMessageThat(
            testing::AllOf(testing::StartsWith("予期しないﾌｧｲﾙ形式です。\n読み取れなかったﾌｧｲﾙは " +
                                               m_strPath + ".bad-"),
                           testing::EndsWith(" に退避しました。")));
    }
    // The one file the unreadable data file was moved to, or "".
    std::string AsidePath() const {
        std::string strFound;
        for (const std::string& strName : DirNames()) {
            if (strName.rfind("mrvmgr.dat.bad-", 0) == 0) {
                EXPECT_TRUE(strFound.empty()) << strName;
                strFound = m_strDir + "/" + strName;
            }
        }
        return strFound;
    }
    void ExpectEmptyRegistry() {
        EXPECT_TRUE(m_pDoc->m_arrNets.empty());
        EXPECT_EQ(m_pDoc->m_nCurNet, -1);
        EXPECT_EQ(m_pDoc->m_pCurNet, nullptr);
        EXPECT_TRUE(m_pDoc->m_listIpAddr.empty());
        EXPECT_TRUE(m_pDoc->m_listSearchTarget.empty());
    }
    // Loads bytes that must be refused as not of our format: the registry stays
    // empty and the file is moved aside, which the one message tells.
    void ExpectRefused(const Bytes& data, const char* pszWhat) {
        SCOPED_TRACE(pszWhat);
        WriteBytes(m_strPath, data);
        m_ui.m_vecMessages.clear();
        ExpectMovedAside();
        OpenDoc();
        ExpectEmptyRegistry();
        std::string strAside = AsidePath();
        ASSERT_FALSE(strAside.empty());
        EXPECT_EQ(ReadBytes(strAside), data);
        EXPECT_EQ(m_ui.MessageTexts(), std::vector<std::string>{std::string(TXT_DOC_BAD_FORMAT) +
                                                                "\n読み取れなかったﾌｧｲﾙは " +
                                                                strAside + " に退避しました。"});
        // The exit writes the empty registry in place of the refused file.
        EXPECT_EQ(SavedBytes(), kEmptyRegistry);
        fs::remove(strAside);
    }

    std::string m_strDir;
    std::string m_strPath;
};

// ---------------------------------------------------------------- layout

TEST_F(DocumentFileTest, MissingFileStartsEmptyAndEmptyRegistryIsTenBytes) {
    OpenDoc();
    ExpectEmptyRegistry();
    EXPECT_TRUE(m_ui.m_vecMessages.empty());
    EXPECT_EQ(SavedBytes(), kEmptyRegistry);
    EXPECT_TRUE(m_ui.m_vecMessages.empty());
    EXPECT_EQ(DirNames(), std::vector<std::string>{"mrvmgr.dat"}); // no temporary file left
}

TEST_F(DocumentFileTest, OneDefaultNetworkIsWrittenAsGiven) {
    OpenDoc().AddNetwork("A", 0xFFFFFF00u, 0x02020202u);
    EXPECT_EQ(SavedBytes(), Cat({{0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00},
                                 kNetClass,
                                 {0x01, 0x41, 0xFE, 0xC8, 0xA8, 0xC0, 0x01, 0x00, 0xFF, 0xFF, 0xFF,
                                  0x02, 0x02, 0x02, 0x02, 0x00, 0x00, 0x00, 0x00}}));
}

TEST_F(DocumentFileTest, SecondNetworkAndLaterNodesUseClassTags) {
    COrvixDoc& doc = OpenDoc();
    doc.AddNetwork("N1", 0xFFFFFF00u, 0x02020202u);
    doc.AddOrUpdateNode(0, 0x0A000001u, "00A0C9000001", true, "S1", "R1");
    doc.AddOrUpdateNode(0, 0xC0A8C8FEu, "00A0C9000002", true, "", "");
    doc.AddNetwork("N2", 0xFFFF0000u, 0x0A000001u);
    doc.AddOrUpdateNode(0, 0x0A010002u, "00A0C9000003", true, "S3", "");
    EXPECT_EQ(SavedBytes(), Cat({
                                {0x02, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02, 0x00},
                                kNetClass,
                                {0x02, 'N', '1'},
                                kNetDefaults,
                                {0x02, 0x00, 0x02, 0x00},
                                kNodeClass,
                                {0x00, 0x02, 'S', '1', 0x0C},
                                Txt("00A0C9000001"),
                                {0x01, 0x00, 0x00, 0x0A, 0x02, 'R', '1'},
                                {0x03, 0x80, 0x00, 0x00, 0x0C},
                                Txt("00A0C9000002"),
                                {0xFE, 0xC8, 0xA8, 0xC0, 0x00},
                                {0x01, 0x80, 0x02, 'N',  '2',  0xFE, 0xC8, 0xA8, 0xC0, 0x01, 0x00,
                                 0x00, 0xFF, 0xFF, 0x01, 0x00, 0x00, 0x0A, 0x01, 0x00, 0x01, 0x00},
                                {0x03, 0x80, 0x00, 0x02, 'S', '3', 0x0C},
                                Txt("00A0C9000003"),
                                {0x02, 0x00, 0x01, 0x0A, 0x00},
                            }));
}

TEST_F(DocumentFileTest, AddressListsComeFirstAndTakeTheFirstClassNumber) {
    COrvixDoc& doc = OpenDoc();
    doc.m_listIpAddr = {{"192.168.200.180"}, {"10.0.0.1"}};
    doc.m_listSearchTarget = {{"10.0.0.1"}};
    doc.AddNetwork("A", 0xFFFFFF00u, 0x02020202u);
    doc.AddOrUpdateNode(0, 0x0A00000Fu, "00A0C90000AA", true, "S1", "");
    doc.AddNetwork("B", 0xFFFFFF00u, 0x02020202u);
    EXPECT_EQ(SavedBytes(), kListsAndNetworks);
}

TEST_F(DocumentFileTest, LongTextsTakeTheWordAndDwordLengthForms) {
    const std::string strName(255, 'n');
    const std::string strRemarks(70000, 'r');
    COrvixDoc& doc = OpenDoc();
    doc.AddNetwork(strName, 0xFFFFFF00u, 0x02020202u);
    doc.AddOrUpdateNode(0, 1u, "00A0C9000001", true, "", strRemarks);
    Bytes saved = SavedBytes();
    // The name follows items 1 to 4, the COUNT and the class record.
    ASSERT_GT(saved.size(), 10u + 18u + 3u);
    EXPECT_EQ(Bytes(saved.begin() + 28, saved.begin() + 31), (Bytes{0xFF, 0xFF, 0x00}));
    EXPECT_EQ(Bytes(saved.begin() + 31, saved.begin() + 31 + 255), Txt(strName));
    const Bytes remarksHead{0xFF, 0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00};
    // The remarks are the last item of the file.
    ASSERT_EQ(saved.size(),
              10u + 18u + 3u + 255u + 13u + 4u + 14u + 1u + 1u + 13u + 4u + 7u + 70000u);
    EXPECT_EQ(Bytes(saved.end() - 70000 - 7, saved.end() - 70000), remarksHead);

    OpenDoc();
    ASSERT_EQ(m_pDoc->m_arrNets.size(), 1u);
    EXPECT_EQ(m_pDoc->m_arrNets[0]->m_strName, strName);
    EXPECT_EQ(m_pDoc->m_arrNets[0]->m_arrNodes.at(0).m_strRemarks, strRemarks);
}

TEST_F(DocumentFileTest, WideStringsAreReadAsCp932) {
    // A network whose name "ネA" was stored with 16-bit characters.
    WriteBytes(m_strPath, Cat({{0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00},
                               kNetClass,
                               {0xFF, 0xFE, 0xFF, 0x02, 0xCD, 0x30, 0x41, 0x00},
                               kNetDefaults,
                               {0x00, 0x00, 0x00, 0x00}}));
    OpenDoc();
    EXPECT_TRUE(m_ui.m_vecMessages.empty());
    ASSERT_EQ(m_pDoc->m_arrNets.size(), 1u);
    EXPECT_EQ(m_pDoc->m_arrNets[0]->m_strName, "\x83\x6C"
                                               "A");
    // Written back in the 8-bit form.
    Bytes saved = SavedBytes();
    EXPECT_EQ(Bytes(saved.begin() + 28, saved.begin() + 32), (Bytes{0x03, 0x83, 0x6C, 0x41}));
}

TEST_F(DocumentFileTest, EveryFieldSurvivesSaveAndLoad) {
    COrvixDoc& doc = OpenDoc();
    doc.m_listIpAddr = {{"10.1.2.3"}, {"192.168.200.180"}, {"1.1.1.1"}};
    doc.m_listSearchTarget = {{"1.1.1.1"}, {"10.1.2.3"}};
    doc.AddNetwork("\xC8\xAF\xC4 1", 0xFFFF0000u, 0x0A000001u); // "ﾈｯﾄ 1"
    doc.SetAssignmentBase(0x0A000064u, 7);
    doc.AddOrUpdateNode(0x1FF, 0x0A000065u, "00a0c9000001", true, "SER-1", "\x94\xF5\x8D\x6C");
    doc.AddOrUpdateNode(0, 0xC0A8C8FEu, "00A0C9000002", true, "", "");
    doc.AddNetwork("second", 0xFFFFFFF0u, 0xAC100001u);
    doc.AddOrUpdateNode(0, 0xAC100002u, "00A0C9000003", true, std::string(300, 's'), "x");
    doc.SelectNetwork(NET_MENU_ID_BASE); // the first network is current
    ASSERT_EQ(doc.m_nCurNet, 0);
    CloseDoc();

    OpenDoc();
    const COrvixDoc& back = *m_pDoc;
    EXPECT_TRUE(m_ui.m_vecMessages.empty());
    ASSERT_EQ(back.m_listIpAddr.size(), 3u);
    EXPECT_EQ(back.m_listIpAddr[0].m_strIp, "10.1.2.3");
    EXPECT_EQ(back.m_listIpAddr[1].m_strIp, "192.168.200.180");
    EXPECT_EQ(back.m_listIpAddr[2].m_strIp, "1.1.1.1");
    ASSERT_EQ(back.m_listSearchTarget.size(), 2u);
    EXPECT_EQ(back.m_listSearchTarget[0].m_strIp, "1.1.1.1");
    EXPECT_EQ(back.m_listSearchTarget[1].m_strIp, "10.1.2.3");
    ASSERT_EQ(back.m_arrNets.size(), 2u);
    EXPECT_EQ(back.m_nCurNet, 0);
    EXPECT_EQ(back.m_pCurNet, back.m_arrNets[0].get());

    const CNetProperty& net1 = *back.m_arrNets[0];
    EXPECT_EQ(net1.m_strName, "\xC8\xAF\xC4 1");
    EXPECT_EQ(net1.m_dwBaseIp, 0x0A000064u);
    EXPECT_EQ(net1.m_nIpIncrement, 7);
    EXPECT_EQ(net1.m_dwSubnetMask, 0xFFFF0000u);
    EXPECT_EQ(net1.m_dwGateway, 0x0A000001u);
    EXPECT_EQ(net1.m_nMenuId, NET_MENU_ID_BASE);
    ASSERT_EQ(net1.m_arrNodes.size(), 2u);
    EXPECT_EQ(net1.m_arrNodes[0].m_nModel, 0xFF); // only the low byte is stored
    EXPECT_EQ(net1.m_arrNodes[0].m_strSerial, "SER-1");
    EXPECT_EQ(net1.m_arrNodes[0].m_strMac, "00a0c9000001");
    EXPECT_EQ(net1.m_arrNodes[0].m_dwIp, 0x0A000065u);
    EXPECT_EQ(net1.m_arrNodes[0].m_strRemarks, "\x94\xF5\x8D\x6C");
    EXPECT_EQ(net1.m_arrNodes[1].m_nModel, 0);
    EXPECT_EQ(net1.m_arrNodes[1].m_strMac, "00A0C9000002");
    EXPECT_EQ(net1.m_arrNodes[1].m_dwIp, 0xC0A8C8FEu);
    EXPECT_EQ(net1.m_arrNodes[1].m_strSerial, "");
    EXPECT_EQ(net1.m_arrNodes[1].m_strRemarks, "");

    const CNetProperty& net2 = *back.m_arrNets[1];
    EXPECT_EQ(net2.m_strName, "second");
    EXPECT_EQ(net2.m_dwBaseIp, 0xC0A8C8FEu);
    EXPECT_EQ(net2.m_nIpIncrement, 1);
    EXPECT_EQ(net2.m_dwSubnetMask, 0xFFFFFFF0u);
    EXPECT_EQ(net2.m_dwGateway, 0xAC100001u);
    EXPECT_EQ(net2.m_nMenuId, NET_MENU_ID_BASE + 1);
    ASSERT_EQ(net2.m_arrNodes.size(), 1u);
    EXPECT_EQ(net2.m_arrNodes[0].m_strSerial, std::string(300, 's'));
    EXPECT_EQ(net2.m_arrNodes[0].m_strRemarks, "x");
}

TEST_F(DocumentFileTest, NoCurrentNetworkSurvivesAndAnIndexBeyondTheNetworksReadsAsNone) {
    COrvixDoc& doc = OpenDoc();
    doc.AddNetwork("A", 0xFFFFFF00u, 0x02020202u);
    doc.m_nCurNet = -1;
    CloseDoc();
    OpenDoc();
    EXPECT_EQ(m_pDoc->m_arrNets.size(), 1u);
    EXPECT_EQ(m_pDoc->m_nCurNet, -1);
    EXPECT_EQ(m_pDoc->m_pCurNet, nullptr);
    CloseDoc();

    Bytes data = kListsAndNetworks;
    data[2] = 0x02; // index 2 of two networks
    WriteBytes(m_strPath, data);
    OpenDoc();
    EXPECT_TRUE(m_ui.m_vecMessages.empty());
    EXPECT_EQ(m_pDoc->m_arrNets.size(), 2u);
    EXPECT_EQ(m_pDoc->m_nCurNet, -1);
    EXPECT_EQ(m_pDoc->m_pCurNet, nullptr);
}

TEST_F(DocumentFileTest, ReferencesToEarlierObjectsReadAsCopies) {
    // The search-target entry refers to object 2 (the registered address); the
    // node array holds node 6 and a reference to it.
    WriteBytes(m_strPath, Cat({{0x01, 0x00, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00},
                               kIpClass,
                               Txt("10.0.0.1"),
                               Bytes(7, 0x00),
                               {0x02, 0x00, 0x01, 0x00},
                               kNetClass,
                               {0x01, 'A'},
                               kNetDefaults,
                               {0x02, 0x00, 0x02, 0x00},
                               kNodeClass,
                               {0x00, 0x00, 0x01, 'M', 0x01, 0x00, 0x00, 0x0A, 0x01, 'r'},
                               {0x06, 0x00}}));
    OpenDoc();
    EXPECT_TRUE(m_ui.m_vecMessages.empty());
    ASSERT_EQ(m_pDoc->m_listSearchTarget.size(), 1u);
    EXPECT_EQ(m_pDoc->m_listSearchTarget[0].m_strIp, "10.0.0.1");
    ASSERT_EQ(m_pDoc->m_arrNets.size(), 1u);
    ASSERT_EQ(m_pDoc->m_arrNets[0]->m_arrNodes.size(), 2u);
    EXPECT_EQ(m_pDoc->m_arrNets[0]->m_arrNodes[1].m_strMac, "M");
    EXPECT_EQ(m_pDoc->m_arrNets[0]->m_arrNodes[1].m_strRemarks, "r");
}

// ---------------------------------------------------------------- refused files

TEST_F(DocumentFileTest, ForeignClassesAndWrongPlacesAreRefused) {
    const Bytes oneNet{0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00};
    ExpectRefused(Cat({oneNet, {0xFF, 0xFF, 0x00, 0x00, 0x07, 0x00}, Txt("CObList"), Bytes(20, 0)}),
                  "foreign class");
    ExpectRefused(Cat({oneNet,
                       {0xFF, 0xFF, 0x01, 0x00, 0x0C, 0x00},
                       Txt("CNetProperty"),
                       {0x01, 'A'},
                       kNetDefaults,
                       {0x00, 0x00, 0x00, 0x00}}),
                  "schema 1");
    ExpectRefused(Cat({oneNet, kNodeClass, {0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x0A, 0x00}}),
                  "a node where a network belongs");
    // An address read before the failure does not stay.
    ExpectRefused(Cat({{0x00, 0x00, 0xFF, 0xFF, 0x01, 0x00, 0x01, 0x00},
                       kIpClass,
                       Txt("10.0.0.1"),
                       Bytes(7, 0x00),
                       kNetClass,
                       {0x01, 'A'},
                       kNetDefaults,
                       {0x00, 0x00, 0x00, 0x00, 0x00, 0x00}}),
                  "a network in the search-target list");
    ExpectRefused(
        Cat({oneNet, kNetClass, {0x01, 'A'}, kNetDefaults, {0x01, 0x00, 0x01, 0x00}, {0x02, 0x00}}),
        "the network itself among its nodes");
    ExpectRefused(
        Cat({oneNet, kNetClass, {0x01, 'A'}, kNetDefaults, {0x01, 0x00, 0x01, 0x00}, {0x00, 0x00}}),
        "no object among the nodes");
    ExpectRefused(Cat({oneNet, {0x09, 0x00}}), "a reference to nothing read");
}

TEST_F(DocumentFileTest, EveryTruncationIsRefusedWithoutACrash) {
    for (size_t nLen = 0; nLen < kListsAndNetworks.size(); ++nLen) {
        ExpectRefused(Bytes(kListsAndNetworks.begin(), kListsAndNetworks.begin() + nLen),
                      ("length " + std::to_string(nLen)).c_str());
        if (HasFatalFailure()) {
            return;
        }
    }
    WriteBytes(m_strPath, kListsAndNetworks);
    m_ui.m_vecMessages.clear();
    OpenDoc();
    EXPECT_TRUE(m_ui.m_vecMessages.empty());
    EXPECT_EQ(m_pDoc->m_arrNets.size(), 2u);
    EXPECT_EQ(SavedBytes(), kListsAndNetworks);
}

TEST_F(DocumentFileTest, HostileCountsAndCopiesAreRefusedWithoutHugeAllocations) {
    ExpectRefused({0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, "list counts of 65535");
    ExpectRefused(
        {0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFE, 0xFF, 0xFF, 0x7F},
        "a network COUNT of 2^31");
    ExpectRefused(
        {0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x80, 0x00, 0x00, 0x00},
        "more networks than a signed WORD counts");

    // One node and then references to it: 1024 nodes fill a network, 1025 are refused.
    auto NodeRun = [](uint16_t nNodes) {
        Bytes data = Cat({{0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00},
                          kNetClass,
                          {0x01, 'A'},
                          kNetDefaults,
                          {static_cast<uint8_t>(nNodes), static_cast<uint8_t>(nNodes >> 8),
                           static_cast<uint8_t>(nNodes), static_cast<uint8_t>(nNodes >> 8)},
                          kNodeClass,
                          {0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x0A, 0x00}});
        for (uint16_t i = 1; i < nNodes; ++i) {
            data.insert(data.end(), {0x04, 0x00});
        }
        return data;
    };
    ExpectRefused(NodeRun(1025), "1025 nodes");
    WriteBytes(m_strPath, NodeRun(1024));
    m_ui.m_vecMessages.clear();
    OpenDoc();
    EXPECT_TRUE(m_ui.m_vecMessages.empty());
    ASSERT_EQ(m_pDoc->m_arrNets.size(), 1u);
    EXPECT_EQ(m_pDoc->m_arrNets[0]->m_arrNodes.size(), 1024u);
    CloseDoc();

    // A network with a 60000-byte remark copied by 32766 references of two bytes each.
    Bytes copies = Cat({{0xFF, 0x7F, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF, 0x7F},
                        kNetClass,
                        {0x01, 'A'},
                        kNetDefaults,
                        {0x01, 0x00, 0x01, 0x00},
                        kNodeClass,
                        {0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x0A, 0xFF, 0x60, 0xEA},
                        Bytes(60000, 'r')});
    for (int i = 1; i < 0x7FFF; ++i) {
        copies.insert(copies.end(), {0x02, 0x00});
    }
    ExpectRefused(copies, "copies beyond the file's own size");

    // Bigger than any registry: refused before it is parsed (zeros would parse).
    WriteBytes(m_strPath, kEmptyRegistry);
    ASSERT_EQ(truncate(m_strPath.c_str(), (off_t{16} << 20) + 1), 0);
    m_ui.m_vecMessages.clear();
    ExpectMovedAside();
    OpenDoc();
    ExpectEmptyRegistry();
    ASSERT_EQ(m_ui.m_vecMessages.size(), 1u);
    EXPECT_EQ(m_ui.m_vecMessages[0].strText.rfind(TXT_DOC_BAD_FORMAT, 0), 0u);
}

// ---------------------------------------------------------------- file errors

TEST_F(DocumentFileTest, ADirectoryAtThePathIsReportedBothWaysAndLeftAlone) {
    fs::create_directory(m_strPath);
    m_ui.ExpectMessage("mrvmgr.dat を開けません。ﾌｧｲﾙ名またはﾊﾟｽが正しくありません。");
    m_ui.ExpectMessage("mrvmgr.dat を保存できません。ﾌｧｲﾙ名またはﾊﾟｽが正しくありません。");
    OpenDoc();
    ExpectEmptyRegistry();
    CloseDoc();
    EXPECT_EQ(m_ui.MessageTexts(),
              (std::vector<std::string>{
                  "mrvmgr.dat を開けません。ﾌｧｲﾙ名またはﾊﾟｽが正しくありません。",
                  "mrvmgr.dat を保存できません。ﾌｧｲﾙ名またはﾊﾟｽが正しくありません。"}));
    EXPECT_TRUE(fs::is_directory(m_strPath));
    EXPECT_EQ(DirNames(), std::vector<std::string>{"mrvmgr.dat"});
}

TEST_F(DocumentFileTest, AFifoAtThePathDoesNotHangTheStart) {
    ASSERT_EQ(mkfifo(m_strPath.c_str(), 0600), 0);
    m_ui.ExpectMessage("ﾄﾞｷｭﾒﾝﾄを開くことに失敗しました。");
    OpenDoc();
    ExpectEmptyRegistry();
    EXPECT_EQ(m_ui.MessageTexts(), std::vector<std::string>{TXT_DOC_OPEN_FAILED});
    EXPECT_EQ(SavedBytes(), kEmptyRegistry);
}

// ---------------------------------------------------------------- the safe save

TEST_F(DocumentFileTest, SaveReplacesTheFileKeepingItsPermissionsAndLinks) {
    const std::string strReal = m_strDir + "/real.dat";
    WriteBytes(strReal, kEmptyRegistry);
    ASSERT_EQ(chmod(strReal.c_str(), 0640), 0);
    fs::create_symlink(strReal, m_strPath);
    OpenDoc().AddNetwork("A", 0xFFFFFF00u, 0x02020202u);
    CloseDoc();
    EXPECT_TRUE(m_ui.m_vecMessages.empty());
    EXPECT_TRUE(fs::is_symlink(m_strPath));
    EXPECT_EQ(ReadBytes(strReal).size(), 10u + 18u + 19u);
    struct stat st {};
    ASSERT_EQ(stat(strReal.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(DirNames(), (std::vector<std::string>{"mrvmgr.dat", "real.dat"}));
}

TEST_F(DocumentFileTest, FailedSavesLeaveTheOldFileWhole) {
    // The temporary file cannot be created: the file the path links to has a
    // name so long that no longer name fits beside it.
    const std::string strLongName(250, 'd');
    const std::string strLong = m_strDir + "/" + strLongName;
    WriteBytes(strLong, kListsAndNetworks);
    fs::create_symlink(strLong, m_strPath);
    OpenDoc().AddNetwork("C", 0xFFFFFF00u, 0x02020202u);
    m_ui.ExpectMessage("mrvmgr.dat を保存できません。ﾌｧｲﾙ名またはﾊﾟｽが正しくありません。");
    EXPECT_EQ(m_pDoc->SaveDocument(), -1);
    EXPECT_EQ(m_ui.MessageTexts(),
              std::vector<std::string>{
                  "mrvmgr.dat を保存できません。ﾌｧｲﾙ名またはﾊﾟｽが正しくありません。"});
    EXPECT_EQ(ReadBytes(strLong), kListsAndNetworks);
    EXPECT_EQ(DirNames(), (std::vector<std::string>{strLongName, "mrvmgr.dat"}));
    fs::rename(strLong, m_strPath); // from here on a plain file at the path

    // The write breaks off in the middle: the file size limit holds for root too.
    m_ui.m_vecMessages.clear();
    m_pDoc->m_arrNets.back()->m_strName = std::string(400, 'c');
    struct rlimit rlOld {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &rlOld), 0);
    auto fnOldHandler = signal(SIGXFSZ, SIG_IGN);
    struct rlimit rlSmall = rlOld;
    rlSmall.rlim_cur = 100;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &rlSmall), 0);
    m_ui.ExpectMessage("ﾄﾞｷｭﾒﾝﾄの保存に失敗しました。");
    int nResult = m_pDoc->SaveDocument();
    setrlimit(RLIMIT_FSIZE, &rlOld);
    signal(SIGXFSZ, fnOldHandler);
    EXPECT_EQ(nResult, -1);
    EXPECT_EQ(m_ui.MessageTexts(), std::vector<std::string>{TXT_DOC_SAVE_FAILED});
    EXPECT_EQ(ReadBytes(m_strPath), kListsAndNetworks);
    EXPECT_EQ(DirNames(), std::vector<std::string>{"mrvmgr.dat"});

    // A file without write permission is not replaced, whoever runs the program.
    m_ui.m_vecMessages.clear();
    ASSERT_EQ(chmod(m_strPath.c_str(), 0444), 0);
    m_ui.ExpectMessage("mrvmgr.dat は使用中または読み取り専用のため、書き込めません。");
    CloseDoc();
    EXPECT_EQ(
        m_ui.MessageTexts(),
        std::vector<std::string>{"mrvmgr.dat は使用中または読み取り専用のため、書き込めません。"});
    EXPECT_EQ(ReadBytes(m_strPath), kListsAndNetworks);
    EXPECT_EQ(DirNames(), std::vector<std::string>{"mrvmgr.dat"});
}

// ---------------------------------------------------------------- the unreadable file

TEST_F(DocumentFileTest, AnUnreadableFileIsMovedAsideAndTheRegistryRunsOn) {
    const Bytes garbage{0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x12, 0x34};
    WriteBytes(m_strPath, garbage);
    ExpectMovedAside();
    OpenDoc();
    std::string strAside = AsidePath();
    ASSERT_FALSE(strAside.empty());
    // The name carries the time: mrvmgr.dat.bad-YYYYmmdd-HHMMSS.
    EXPECT_EQ(strAside.size(), m_strPath.size() + 20);
    EXPECT_EQ(m_ui.MessageTexts(),
              std::vector<std::string>{"予期しないﾌｧｲﾙ形式です。\n読み取れなかったﾌｧｲﾙは " +
                                       strAside + " に退避しました。"});
    m_pDoc->AddNetwork("new", 0xFFFFFF00u, 0x02020202u);
    CloseDoc();
    EXPECT_EQ(ReadBytes(strAside), garbage);
    Bytes saved = ReadBytes(m_strPath);
    ASSERT_GE(saved.size(), 10u);
    EXPECT_EQ(saved[0], 0x01);

    // A second failure in the same second does not overwrite the first one kept.
    WriteBytes(m_strPath, garbage);
    ExpectMovedAside();
    OpenDoc();
    CloseDoc();
    size_t nAside = 0;
    for (const std::string& strName : DirNames()) {
        nAside += strName.rfind("mrvmgr.dat.bad-", 0) == 0 ? 1 : 0;
    }
    EXPECT_EQ(nAside, 2u);
    EXPECT_EQ(ReadBytes(strAside), garbage);
}

TEST_F(DocumentFileTest, AFileThatCannotBeMovedAsideIsNotOverwritten) {
    const Bytes garbage{0x07};
    WriteBytes(m_strPath, garbage);
    // Every name the move could take in the next seconds is taken already.
    std::time_t now = std::time(nullptr);
    for (std::time_t t = now - 1; t <= now + 5; ++t) {
        char szStamp[32];
        std::tm tmAt{};
        localtime_r(&t, &tmAt);
        std::strftime(szStamp, sizeof szStamp, "%Y%m%d-%H%M%S", &tmAt);
        std::string strBase = m_strPath + ".bad-" + szStamp;
        WriteBytes(strBase, {});
        for (int i = 2; i < 100; ++i) {
            WriteBytes(strBase + "-" + std::to_string(i), {});
        }
    }
    m_ui.ExpectMessage("予期しないﾌｧｲﾙ形式です。\n読み取れなかったﾌｧｲﾙ " + m_strPath +
                       " を退避できないため、終了時に保存しません。");
    OpenDoc();
    ExpectEmptyRegistry();
    m_pDoc->AddNetwork("new", 0xFFFFFF00u, 0x02020202u);
    CloseDoc();
    EXPECT_EQ(m_ui.MessageTexts(),
              std::vector<std::string>{"予期しないﾌｧｲﾙ形式です。\n読み取れなかったﾌｧｲﾙ " +
                                       m_strPath + " を退避できないため、終了時に保存しません。"});
    EXPECT_EQ(ReadBytes(m_strPath), garbage);
}
