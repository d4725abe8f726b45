// Writes the seed corpora of the fuzz targets, each input made by the
// project's own writers: the document's save, the INI writer, the reply
// composer of the unit tests, the simulated node's listing, the JSON writer.
// Usage: fuzz_seeds CORPUS_DIR (one folder per target beneath it).
#include "FuzzDoc.h"
#include "FuzzSupport.h"
#include "NodeResponder.h"
#include "SampleParam.h"
#include "SimFiles.h"
#include "cli/CtlOutput.h"
#include "doc/FtpRun.h"
#include "link/SettingsPayload.h"
#include "params/ParamFile.h"
#include "platform/Profile.h"

#include <filesystem>

namespace {
std::string g_strCorpus;

void Seed(const std::string& strTarget, const std::string& strName, const std::string& strData) {
    std::filesystem::create_directories(g_strCorpus + "/" + strTarget);
    WriteWholeFile(g_strCorpus + "/" + strTarget + "/" + strName, strData);
}

std::string Text(const std::vector<uint8_t>& vec) {
    return std::string(vec.begin(), vec.end());
}

std::string Word(size_t n) {
    return std::string{static_cast<char>(n & 0xFF), static_cast<char>((n >> 8) & 0xFF)};
}

// A datagram in the datagram target's framing.
std::string Event(uint8_t byPending, const std::vector<uint8_t>& vecData) {
    return std::string{static_cast<char>(byPending), 0, 0} + Word(vecData.size()) + Text(vecData);
}

std::vector<uint8_t> ParamReply(uint16_t wCode, const std::string& strMac) {
    std::vector<uint8_t> vec = CNodeResponder::Reply(wCode, strMac, 7, 0);
    NODEPARAM param = SampleParam();
    SwapParamBlock(param, SWAP_TO_NETWORK);
    const auto* p = reinterpret_cast<const uint8_t*>(&param);
    vec.insert(vec.end(), p, p + sizeof param);
    return vec;
}

std::vector<uint8_t> VersionReply(const std::string& strMac) {
    std::vector<uint8_t> vec = CNodeResponder::Reply(0x0208, strMac, 0, 0);
    vec.resize(232, 0);
    std::memcpy(vec.data() + 14, "MRV-620 REV.B", 13);
    vec[28] = 2;
    vec[29] = 10;
    vec[30] = 1;
    vec[31] = 0;
    std::memcpy(vec.data() + 32, "TESTAPP.mot", 11);
    vec[46] = 1;
    vec[47] = 2;
    vec[48] = 0;
    vec[49] = 4;
    vec[50] = 0x34;
    vec[51] = 0x12;
    return vec;
}

void DataFileSeeds(CFuzzScratch& scratch) {
    auto Save = [&](const std::string& strName, auto fnFill) {
        std::string strPath = scratch.File("seed.dat");
        {
            SFuzzDoc doc(strPath);
            fnFill(*doc.pDoc);
        }
        Seed("datafile", strName, ReadWholeFile(strPath));
        std::filesystem::remove(strPath);
    };
    Save("empty", [](COrvixDoc&) {});
    Save("one-network", [](COrvixDoc& doc) { doc.AddNetwork("A", 0xFFFFFF00u, 0x02020202u); });
    Save("two-networks", [](COrvixDoc& doc) {
        doc.AddNetwork("LINE-A", 0xFFFFFF00u, 0xC0A80101u);
        doc.AddOrUpdateNode(0, 0xC0A8010Au, "0080C8000001", true, "SN-1", "\x91\xe6\x88\xea");
        doc.AddOrUpdateNode(0, 0xC0A8C8FEu, "0080C8000002", true, "", "");
        doc.AddNetwork("LINE-B", 0xFFFF0000u, 0x0A000001u);
        doc.AddOrUpdateNode(0, 0x0A000002u, "0080C8000003", true, "SN-3", std::string(300, 'r'));
        doc.SetAssignmentBase(0xC0A80164u, 2);
        doc.m_listIpAddr.push_back(CIpSearchList{"192.168.1.10"});
        doc.m_listSearchTarget.push_back(CIpSearchList{"10.0.0.255"});
    });
}

void DatagramSeeds() {
    const std::string strMac = "0080C8000001";
    // flags: bit 0 a network, bits 1-2 nodes, bit 3 the settings dialog sends.
    Seed("datagram", "search",
         std::string{1} + Event(1, CNodeResponder::Reply(0x0201, strMac, 0, 0)));
    Seed("datagram", "settings-sent",
         std::string{0x0B} + Event(3, ParamReply(0x0203, strMac)) +
             Event(3, CNodeResponder::Reply(0x0204, strMac, 0, 0)));
    Seed("datagram", "account", std::string{3} + Event(7, ParamReply(0x0203, strMac)));
    Seed("datagram", "version", std::string{3} + Event(6, VersionReply(strMac)));
    // bit 4: the nodes await replies side by side, bits 5-7 pick their codes
    // (here 0x0202 for the second node registered, 0x0203 for the first).
    Seed("datagram", "exchanges",
         std::string{0x35} + Event(0, CNodeResponder::Reply(0x0202, "0080C8000002", 0, 4)) +
             Event(0, ParamReply(0x0203, strMac)) +
             Event(1, CNodeResponder::Reply(0x0201, strMac, 0, 0)));
    Seed("datagram", "mode-refused",
         std::string{3} + Event(5, CNodeResponder::Reply(0x0205, strMac, 0, 4)) +
             Event(5, CNodeResponder::Reply(0x0206, strMac, 7, 0)));

    Seed("response", "search", std::string{0} + Text(CNodeResponder::Reply(0x0201, strMac, 0, 0)));
    Seed("response", "params", std::string{0} + Text(ParamReply(0x0203, strMac)));
    Seed("response", "version", std::string{0} + Text(VersionReply(strMac)));
    Seed("response", "put-stored",
         std::string{1} + "Password:" + std::string{0} +
             "Connected to 192.168.1.10.\n220 FTP server ready.\n331 Password required.\n"
             "230 User logged in.\n200 Type set to I.\n@M\n229 Entering Extended Passive Mode\n"
             "150 Opening BINARY mode data connection.\n226 Transfer complete.\n"
             "2048 bytes sent in 00:00 (1.00 MiB/s)\n@M\n221 Goodbye.\n");
    Seed("response", "put-refused",
         std::string{1} + std::string{0} +
             "Connected to 192.168.1.10.\n@M\n553 Could not create file.\n@M\n");
}

void ListingSeeds() {
    CSimFileStore store;
    store.Put({"kernel.bin", ESimFileKind::Kernel, 65536, 2, 10, 0, "", false});
    store.Put({"TESTAPP.mot", ESimFileKind::UserApp, 2048, 1, 2, 0, "", false});
    store.Put({"MY APP,2.mot", ESimFileKind::UserApp, 100, 3, 0, 0, "", false});
    store.Put({"data.txt", ESimFileKind::Data, 10, 1, 0, 0, "", false});
    const std::string strListing = store.FormatListing();
    // Steps: add row 0, add all, remove row 0 of the delete list.
    Seed("listing", "node-listing", "admin\nsecret\n" + std::string{0, 3, 4} + "\n" + strListing);
    std::string strLf = strListing;
    for (size_t n; (n = strLf.find("\r\n")) != std::string::npos;) {
        strLf.erase(n, 1);
    }
    Seed("listing", "client-listing", "admin\n\n\x03\n" + strLf);
}

void MotSeeds() {
    // Records with their counts and checksums, as a loader writes them.
    auto Record = [](char cType, const std::vector<uint8_t>& vecBody) {
        unsigned nSum = static_cast<unsigned>(vecBody.size() + 1);
        std::string str = std::string("S") + cType;
        char sz[4];
        std::snprintf(sz, sizeof sz, "%02X", static_cast<unsigned>(vecBody.size() + 1));
        str += sz;
        for (uint8_t by : vecBody) {
            std::snprintf(sz, sizeof sz, "%02X", by);
            str += sz;
            nSum += by;
        }
        std::snprintf(sz, sizeof sz, "%02X", (~nSum) & 0xFF);
        return str + sz;
    };
    std::string strImage = Record('0', {0, 0, 'V', '1', '.', '0', '2'}) + "\r\n" +
                           Record('1', {0x10, 0x00, 1, 2, 3, 4, 5, 6, 7, 8}) + "\r\n" +
                           Record('2', {0x01, 0x00, 0x00, 0xAA, 0xBB}) + "\r\n" +
                           Record('3', {0, 0, 0, 0, 0xFF}) + "\r\n" + Record('9', {0, 0}) + "\r\n";
    Seed("mot", "image", strImage);
    Seed("mot", "image-lf", Record('1', {0, 0, 0x42}) + "\n" + Record('8', {0, 0, 0}) + "\n\n");
    Seed("mot", "no-end", Record('1', {0, 0, 0x42}) + "\n");
}

void ProfileSeeds(CFuzzScratch& scratch) {
    CParamFile file;
    file.m_strPath = scratch.File("DefParam.ini");
    file.m_param = SampleParam();
    SAppSettings settings;
    file.Save(settings);
    const std::string strIni = ReadWholeFile(file.m_strPath);
    Seed("profile", "defaults-set",
         std::string{0} + "Mtu=1400\nLocation=\xe5\x80\x89\xe5\xba\xab 2\n\n" + strIni);
    Seed("profile", "defaults-text", std::string{0} + "User=  admin \nSp01=prog;1\n\n" + strIni);
    Seed("profile", "layer",
         std::string{1} + strIni + std::string{0} + "MRV-620_Parameter" + std::string{0} +
             "Location" + std::string{0} + " \"quoted\" " + std::string{0});
    std::filesystem::remove(file.m_strPath);
}

void CtlSeeds(CFuzzScratch& scratch) {
    auto Words = [](std::initializer_list<const char*> list) {
        std::string str{0};
        for (const char* psz : list) {
            str += psz;
            str += '\0';
        }
        return str;
    };
    Seed("ctlargs", "networks-list", Words({"--json", "networks", "list"}));
    Seed("ctlargs", "nodes-add", Words({"nodes", "add", "0080C8000009", "--ip", "192.168.1.20"}));
    Seed("ctlargs", "defaults-set", Words({"--json", "defaults", "--set", "Mtu=1400"}));
    Seed("ctlargs", "bad-utf8", Words({"--json", "networks", "add", "\xff\xfe"}));
    Seed("ctlargs", "help", Words({"help", "download"}));
    std::string strPath = scratch.File("seed.dat");
    {
        SFuzzDoc doc(strPath);
        doc.pDoc->AddNetwork("N\x82\xa0", 0xFFFFFF00u, 0x02020202u);
    }
    std::string strData = ReadWholeFile(strPath);
    Seed("ctlargs", "own-data-file",
         std::string{1} + Word(strData.size()) + strData + Words({"nodes", "list"}).substr(1));
    std::filesystem::remove(strPath);
}

void JsonSeeds() {
    CJson json = CJson::Object();
    json.Set("command", CJson::Str("networks"));
    json.Set("ok", CJson::Bool(true));
    json.Set("exit", CJson::Int(0));
    Seed("json", "outcome", json.Dump());
    Seed("json", "texts",
         std::string("\x01") + "\xef\xbe\x88\xef\xbd\xaf\xef\xbe\x84" + "\x1b[31m" + "\xc2\x9b" +
             "\xff\xfe" + "\"\\\n");
}
// The inputs of earlier findings, minimised, so that CI replays them.
void FindingSeeds() {
    // {"\xFF": null, "\xFE": null}: the keys from the front, the choices from the back.
    Seed("json", "finding-keys-written-alike", std::string("\xff\\x\xfe\\x\0\0\2\6\0", 11));
    // A number with 3 places that is +inf.
    Seed("json", "finding-number-that-is-none", std::string("\3\1\1\4\0", 5));
    Seed("listing", "finding-cut-entry",
         "admin\nsecret\n" + std::string{0, 0} + "\nx user user V" + std::string(85, 'x') +
             " ABCDEFGHIJKLMNOPQRSTUVWXYZ\r\n");
    Seed("mot", "finding-empty-data-records", "S1030000FC\r\nS9030000FC\r\n");
    Seed("profile", "finding-line-break", std::string{0} + "Location=room\r\n\n");
    Seed("ctlargs", "finding-folder-data-file",
         std::string(6, '\0') + "-f." + std::string{0} + "-" + std::string{0} + "\x1bj");
}
} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s CORPUS_DIR\n", argv[0]);
        return 2;
    }
    g_strCorpus = std::filesystem::absolute(argv[1]).string();
    CFuzzScratch& scratch = CFuzzScratch::Get();
    DataFileSeeds(scratch);
    DatagramSeeds();
    ListingSeeds();
    MotSeeds();
    ProfileSeeds(scratch);
    CtlSeeds(scratch);
    JsonSeeds();
    FindingSeeds();
    return 0;
}
