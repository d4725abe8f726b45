#include "params/ParamFile.h"
#include "SampleParam.h"
#include "ScratchDir.h"
#include "params/ParamFields.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {
using Bytes = std::vector<uint8_t>;

Bytes RecordBytes(const NODEPARAM& param) {
    const auto* p = reinterpret_cast<const uint8_t*>(&param);
    return Bytes(p, p + sizeof param);
}

void Put(Bytes& bytes, size_t nOffset, const Bytes& part) {
    std::copy(part.begin(), part.end(), bytes.begin() + static_cast<std::ptrdiff_t>(nOffset));
}
void Put(Bytes& bytes, size_t nOffset, const char* pszText) {
    std::memcpy(bytes.data() + nOffset, pszText, std::strlen(pszText));
}

// The record a missing file gives, byte by byte (numbers little-endian).
Bytes DefaultRecordBytes() {
    Bytes b(717, 0);
    Put(b, 0, {0xFE, 0xC8, 0xA8, 0xC0});  // own IP 192.168.200.254
    Put(b, 4, {0x01, 0x01});              // own port 257
    Put(b, 6, {0x02, 0x02, 0x02, 0x02});  // destination 2.2.2.2
    Put(b, 10, {0x02, 0x02});             // destination port 514
    Put(b, 12, {0x02, 0x02, 0x02, 0x02}); // gateway 2.2.2.2
    Put(b, 16, {0x00, 0xFF, 0xFF, 0xFF}); // mask 255.255.255.0
    Put(b, 20, {0x02});                   // connect timer
    Put(b, 62, {0xDC, 0x05});             // MTU 1500
    Put(b, 70, "48213");
    Put(b, 86, "Kelpie");
    Put(b, 102, "Kelpie");
    Put(b, 118, "Kelpie");
    Put(b, 329, {0x03, 0x01}); // 2,400 bps, 8 bits
    Put(b, 334, {0x02, 0x0D, 0x0A});
    Put(b, 561, "FtpSv");
    Put(b, 574, "Serial");
    return b;
}

const char DEFAULT_INI[] =
    "[MRV-620_Parameter]\r\n"
    "OwnportX=257\r\n"
    "DestipX=33686018\r\n"
    "DestportX=514\r\n"
    "TimeX=2\r\n"
    "Trg=0\r\n"
    "Tmo=0\r\n"
    "ConnSts=0\r\n"
    "Mtu=1500\r\n"
    "Keep=0\r\n"
    "AutoNego=0\r\n"
    "IdleTimer=0\r\n"
    "Snmp=0\r\n"
    "TrapIp=0\r\n"
    "Trap=0\r\n"
    "ObjId=48213\r\n"
    "GetComm=Kelpie\r\n"
    "SetComm=Kelpie\r\n"
    "TrapComm=Kelpie\r\n"
    "Location=\r\n"
    "Contact=\r\n"
    "Name=\r\n"
    "User=\r\n"
    "Passw=\r\n"
    "Bootp=0\r\n"
    "Dhcp=0\r\n"
    "Speed=3\r\n"
    "Data=1\r\n"
    "Stop=0\r\n"
    "Parity=0\r\n"
    "Flow=0\r\n"
    "ConnWatch=0\r\n"
    "Fterm=\r\n"
    "Term=0D0A\r\n"
    "Sp01=\r\nSp02=\r\nSp03=\r\nSp04=\r\nSp05=\r\nSp06=\r\nSp07=\r\nSp08=\r\n"
    "Sp09=\r\nSp10=\r\nSp11=\r\nSp12=\r\nSp13=\r\nSp14=\r\nSp15=\r\nSp16=\r\n"
    "Gi01=\r\nGi02=\r\nGi03=\r\nGi04=\r\nGi05=\r\nGi06=\r\nGi07=\r\nGi08=\r\n"
    "Lndefp=FtpSv\r\n"
    "Rsdefp=Serial\r\n"
    "[Application]\r\n"
    "Retrycnt_GetPrm=3\r\n"
    "Timeout=5000\r\n"
    "Timeout_AutoSet=5000\r\n"
    "Timeout_Initial=5000\r\n"
    "Timeout_Search=1500\r\n";

class ParamFile : public ::testing::Test {
protected:
    std::string Ini() const { return m_dir.File("DefParam.ini"); }
    // Loads the defaults from an INI file holding only the given keys.
    NODEPARAM LoadKeys(const std::string& strKeys) {
        CScratchDir::Write(Ini(), "[MRV-620_Parameter]\r\n" + strKeys);
        CParamFile file;
        file.m_strPath = Ini();
        file.LoadParams();
        return file.m_param;
    }
    std::string SaveRecord(const NODEPARAM& param) {
        CParamFile file;
        file.m_strPath = Ini();
        file.m_param = param;
        file.SaveParams();
        return CScratchDir::Read(Ini());
    }

    CScratchDir m_dir;
};
} // namespace

TEST_F(ParamFile, StorageStartsZeroed) {
    CParamFile file;
    EXPECT_EQ(RecordBytes(file.m_param), Bytes(717, 0));
}

TEST_F(ParamFile, MissingFileGivesExactlyTheDefaults) {
    CParamFile file;
    file.m_strPath = Ini();
    file.LoadParams();
    EXPECT_EQ(RecordBytes(file.m_param), DefaultRecordBytes());
    EXPECT_FALSE(CScratchDir::Exists(Ini())); // reading creates nothing
}

TEST_F(ParamFile, MissingSectionGivesTheDefaults) {
    CScratchDir::Write(Ini(), "[Other]\r\nOwnportX=1\r\nSpeed=5\r\n");
    CParamFile file;
    file.m_strPath = Ini();
    file.LoadParams();
    EXPECT_EQ(RecordBytes(file.m_param), DefaultRecordBytes());
}

TEST_F(ParamFile, OwnIpGatewayAndMaskAreFixedAfterEveryLoad) {
    CParamFile file;
    file.m_strPath = Ini();
    CScratchDir::Write(Ini(), "[MRV-620_Parameter]\r\ndwOwnIp=1\r\nOwnIp=1\r\nGateway=1\r\n");
    std::memset(&file.m_param, 0x5A, sizeof file.m_param);
    file.LoadParams();
    EXPECT_EQ(uint32_t{file.m_param.dwOwnIp}, 0xC0A8C8FEu);
    EXPECT_EQ(uint32_t{file.m_param.dwGateway}, 0x02020202u);
    EXPECT_EQ(uint32_t{file.m_param.dwSubnetMask}, 0xFFFFFF00u);
    // Not stored: left as they were.
    EXPECT_EQ(file.m_param.abReserved1[0], 0x5A);
    EXPECT_EQ(file.m_param.byChecksum, 0x5A);
    EXPECT_EQ(file.m_param.byReserved2, 0x5A);
}

TEST_F(ParamFile, DestinationIsWrittenAsItsSignedValueAndReadBack) {
    NODEPARAM param = LoadKeys("");
    param.dwDestIp = 0xC0A80001u; // 192.168.0.1
    EXPECT_NE(SaveRecord(param).find("\r\nDestipX=-1062731775\r\n"), std::string::npos);
    EXPECT_EQ(uint32_t{LoadKeys("DestipX=-1062731775\r\n").dwDestIp}, 0xC0A80001u);
    EXPECT_EQ(uint32_t{LoadKeys("DestipX=3232235521\r\n").dwDestIp},
              0xC0A80001u); // the unsigned spelling too
}

TEST_F(ParamFile, TrapAddressIsWrittenAsTheLittleEndianReadingOfItsBytes) {
    NODEPARAM param = LoadKeys("");
    const uint8_t abTrap[4] = {192, 168, 0, 1};
    std::memcpy(&param.dwTrapIp, abTrap, 4);
    EXPECT_NE(SaveRecord(param).find("\r\nTrapIp=16820416\r\n"), std::string::npos);

    Bytes loaded = RecordBytes(LoadKeys("TrapIp=16820416\r\n"));
    EXPECT_EQ(Bytes(loaded.begin() + 66, loaded.begin() + 70), (Bytes{0xC0, 0xA8, 0x00, 0x01}));
    // 255.255.255.255 is the signed value -1.
    loaded = RecordBytes(LoadKeys("TrapIp=-1\r\n"));
    EXPECT_EQ(Bytes(loaded.begin() + 66, loaded.begin() + 70), (Bytes{0xFF, 0xFF, 0xFF, 0xFF}));
}

TEST_F(ParamFile, TerminatorsReadAtMostFourDigits) {
    struct SCase {
        const char* pszValue;
        Bytes expected; // count, byte 0, byte 1
    };
    for (const SCase& c : std::vector<SCase>{{"0D0", {1, 0x0D, 0x00}},
                                             {"0D0A0D", {2, 0x0D, 0x0A}},
                                             {"0d0a", {2, 0x0D, 0x0A}},
                                             {"", {0, 0, 0}},
                                             {"1", {0, 0, 0}},
                                             {"G10A", {2, 0x00, 0x0A}},
                                             {"A", {0, 0, 0}},
                                             {"AG", {1, 0x0A, 0x00}},
                                             {"\"0304\"", {2, 0x03, 0x04}}}) {
        Bytes record = RecordBytes(
            LoadKeys(std::string("Fterm=") + c.pszValue + "\r\nTerm=" + c.pszValue + "\r\n"));
        EXPECT_EQ(Bytes(record.begin() + 55, record.begin() + 58), c.expected) << c.pszValue;
        EXPECT_EQ(Bytes(record.begin() + 334, record.begin() + 337), c.expected) << c.pszValue;
    }
}

TEST_F(ParamFile, IntegersKeepTheirLowBitsAndNonNumbersReadAsZero) {
    NODEPARAM p = LoadKeys("Speed=abc\r\nMtu=70000\r\nTimeX=300\r\nTmo=-1\r\nOwnportX=65536\r\n");
    EXPECT_EQ(p.byBaudRate, 0); // not the default 3
    EXPECT_EQ(uint16_t{p.wMtu}, 4464);
    EXPECT_EQ(p.byConnectTimer, 44);
    EXPECT_EQ(p.byNoCommTimer, 255);
    EXPECT_EQ(uint16_t{p.wOwnPort}, 0);
    EXPECT_EQ(LoadKeys("Data=0\r\n").byBaudRate, 3); // a missing Speed gives the default
}

TEST_F(ParamFile, TextsAreCutToTheirFieldWidthLessOne) {
    NODEPARAM p = LoadKeys("User=ABCDEFGHIJKLMNOPQRST\r\n"
                           "Contact=" +
                           std::string(70, 'c') +
                           "\r\n"
                           "Sp16=1234567890123456\r\n"
                           "Lndefp=\r\n");
    EXPECT_EQ(GetTextField(p.szUserName), "ABCDEFGHIJKLMNO");
    EXPECT_EQ(GetTextField(p.szContact), std::string(64, 'c'));
    EXPECT_EQ(GetTextField(p.szStartProgram[15]), "123456789012");
    EXPECT_EQ(GetTextField(p.szLanProtocol), ""); // present but empty: no default
    EXPECT_EQ(GetTextField(p.szRsProtocol), "Serial");
}

TEST_F(ParamFile, DefaultSaveWritesBothSectionsInOrder) {
    CParamFile file;
    SAppSettings settings;
    file.Load(Ini(), settings);
    file.Save(settings);
    EXPECT_EQ(CScratchDir::Read(Ini()), DEFAULT_INI);
}

TEST_F(ParamFile, SaveThenLoadReproducesEveryStoredField) {
    NODEPARAM param = SampleParam();
    // Not stored: every load sets these.
    param.dwOwnIp = 0xC0A8C8FEu;
    param.dwGateway = 0x02020202u;
    param.dwSubnetMask = 0xFFFFFF00u;
    // The ends of the file's number forms, and an empty terminator.
    param.wOwnPort = 65535;
    param.dwDestIp = 0xFFFFFFFFu;
    param.byRecordTermLen = 0;
    param.abRecordTerm[0] = 0;
    param.abRecordTerm[1] = 0;

    std::string strText = SaveRecord(param);
    EXPECT_NE(strText.find("\r\nFterm=1A\r\nTerm=\r\n"), std::string::npos);
    CParamFile file;
    file.m_strPath = Ini();
    file.LoadParams();
    NODEPARAM loaded = file.m_param;
    EXPECT_EQ(RecordBytes(loaded), RecordBytes(param));
    // And saving the loaded record again changes nothing.
    EXPECT_EQ(SaveRecord(loaded), strText);
}

TEST_F(ParamFile, SavingKeepsTheRestOfAHandEditedFile) {
    CScratchDir::Write(Ini(), "; site defaults\n"
                              "[Application]\n"
                              "Timeout_Search=3000\n"
                              "[mrv-620_parameter]\n"
                              "mtu=1400\n"
                              "Comment=kept\n");
    CParamFile file;
    SAppSettings settings;
    file.Load(Ini(), settings);
    EXPECT_EQ(settings.m_nTimeoutSearch, 3000);
    EXPECT_EQ(uint16_t{file.m_param.wMtu}, 1400);
    file.Save(settings);
    std::string strText = CScratchDir::Read(Ini());
    EXPECT_EQ(strText.rfind("; site defaults\n"
                            "[Application]\n"
                            "Timeout_Search=3000\n"
                            "Retrycnt_GetPrm=3\r\n"
                            "Timeout=5000\r\n"
                            "Timeout_AutoSet=5000\r\n"
                            "Timeout_Initial=5000\r\n"
                            "[mrv-620_parameter]\n"
                            "mtu=1400\n"
                            "Comment=kept\n"
                            "OwnportX=257\r\n",
                            0),
              0u);
}

TEST_F(ParamFile, ApplicationSettingsAreReadWithTheirDefaults) {
    CScratchDir::Write(Ini(), "[Application]\r\nRetrycnt_GetPrm=0\r\nTimeout=abc\r\n");
    CParamFile file;
    SAppSettings settings;
    settings.m_nTimeoutInitial = 1;
    file.Load(Ini(), settings);
    EXPECT_EQ(file.m_strPath, Ini());
    EXPECT_EQ(settings.m_nRetryGetParam, 0);
    EXPECT_EQ(settings.m_nTimeout, 0);
    EXPECT_EQ(settings.m_nTimeoutAutoSet, 5000);
    EXPECT_EQ(settings.m_nTimeoutInitial, 5000);
    EXPECT_EQ(settings.m_nTimeoutSearch, 1500);
}
