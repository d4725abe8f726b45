#include "params/ParamFile.h"

#include "params/ParamFields.h"
#include "platform/Profile.h"

#include <cstdio>
#include <cstring>

namespace {
constexpr uint32_t PARAM_DEFAULT_DEST_IP = 0x02020202u; // 2.2.2.2
constexpr uint32_t PARAM_FIXED_GATEWAY = 0x02020202u;
constexpr uint32_t PARAM_FIXED_MASK = 0xFFFFFF00u;
// The text is read into a buffer of five bytes: four digits at most.
constexpr size_t TERMINATOR_READ_BUFFER = TERMINATOR_DIGITS + 1;

// Reads one section of a profile into record fields.
class CSectionReader {
public:
    CSectionReader(const CProfile& profile, const char* pszSection)
        : m_profile(profile), m_pszSection(pszSection) {}

    int32_t Int(const char* pszKey, int32_t nDefault) const {
        return m_profile.GetInt(m_pszSection, pszKey, nDefault);
    }
    // Stored keeping the low-order bits.
    uint8_t Byte(const char* pszKey, int32_t nDefault) const {
        return static_cast<uint8_t>(Int(pszKey, nDefault));
    }
    uint16_t Word(const char* pszKey, int32_t nDefault) const {
        return static_cast<uint16_t>(Int(pszKey, nDefault));
    }
    template <size_t N>
    void Text(char (&field)[N], const char* pszKey, const char* pszDefault) const {
        SetTextField(field, m_profile.GetString(m_pszSection, pszKey, pszDefault, N));
    }
    void Terminator(const char* pszKey, const char* pszDefault, uint8_t& byLen,
                    uint8_t* pBytes) const {
        ParseTerminator(
            m_profile.GetString(m_pszSection, pszKey, pszDefault, TERMINATOR_READ_BUFFER), byLen,
            pBytes);
    }

private:
    const CProfile& m_profile;
    const char* m_pszSection;
};

class CSectionWriter {
public:
    CSectionWriter(CProfile& profile, const char* pszSection)
        : m_profile(profile), m_pszSection(pszSection) {}

    void Unsigned(const char* pszKey, uint32_t dwValue) { Text(pszKey, std::to_string(dwValue)); }
    void Signed(const char* pszKey, int32_t nValue) { Text(pszKey, std::to_string(nValue)); }
    void Text(const char* pszKey, const std::string& strValue) {
        m_profile.WriteString(m_pszSection, pszKey, strValue);
    }
    template <size_t N> void Text(const char* pszKey, const char (&field)[N]) {
        Text(pszKey, GetTextField(field));
    }

private:
    CProfile& m_profile;
    const char* m_pszSection;
};

std::string NumberedKey(const char* pszFormat, int n) {
    char szKey[8];
    std::snprintf(szKey, sizeof szKey, pszFormat, n);
    return szKey;
}
} // namespace

CParamFile::CParamFile() {
    std::memset(&m_param, 0, sizeof m_param);
}

void CParamFile::LoadParams() {
    CProfile profile;
    profile.Load(m_strPath);
    LoadParams(profile);
}

void CParamFile::LoadParams(const CProfile& profile) {
    CSectionReader in(profile, PARAMINI_SECTION_PARAM);
    NODEPARAM& p = m_param;

    p.dwOwnIp = NODE_UNSET_IP;
    p.wOwnPort = in.Word("OwnportX", 257);
    p.dwDestIp =
        static_cast<uint32_t>(in.Int("DestipX", static_cast<int32_t>(PARAM_DEFAULT_DEST_IP)));
    p.wDestPort = in.Word("DestportX", 514);
    p.dwGateway = PARAM_FIXED_GATEWAY;
    p.dwSubnetMask = PARAM_FIXED_MASK;

    p.byConnectTimer = in.Byte("TimeX", 2);
    p.byCommTrigger = in.Byte("Trg", 0);
    p.byNoCommTimer = in.Byte("Tmo", 0);
    p.byKeepAlive = in.Byte("Keep", 0);
    p.wMtu = in.Word("Mtu", 1500);
    p.byConnNotify = in.Byte("ConnSts", 0);
    p.bySnmp = in.Byte("Snmp", 0);
    p.byAuthTrap = in.Byte("Trap", 0);
    // Network order in memory: the file holds the little-endian reading of the bytes.
    uint8_t abTrap[4];
    StoreLittleEndian(in.Int("TrapIp", 0), abTrap);
    std::memcpy(&p.dwTrapIp, abTrap, sizeof abTrap);

    in.Text(p.szObjectId, "ObjId", "48213");
    in.Text(p.szGetCommunity, "GetComm", "Kelpie");
    in.Text(p.szSetCommunity, "SetComm", "Kelpie");
    in.Text(p.szTrapCommunity, "TrapComm", "Kelpie");
    in.Text(p.szLocation, "Location", "");
    in.Text(p.szContact, "Contact", "");
    in.Text(p.szSysName, "Name", "");
    in.Text(p.szUserName, "User", "");
    in.Text(p.szPassword, "Passw", "");

    in.Terminator("Fterm", "", p.byFileTermLen, p.abFileTerm);
    p.byAutoNego = in.Byte("AutoNego", 0);
    in.Terminator("Term", "0D0A", p.byRecordTermLen, p.abRecordTerm);

    p.byBootp = in.Byte("Bootp", 0);
    p.byDhcp = in.Byte("Dhcp", 0);
    p.byBaudRate = in.Byte("Speed", 3);
    p.byDataBits = in.Byte("Data", 1);
    p.byStopBits = in.Byte("Stop", 0);
    p.byParity = in.Byte("Parity", 0);
    p.byFlowControl = in.Byte("Flow", 0);
    p.wIdleTimer = in.Word("IdleTimer", 0);
    p.byConnWatch = in.Byte("ConnWatch", 0);

    for (int i = 1; i <= 16; ++i) {
        in.Text(p.szStartProgram[i - 1], NumberedKey("Sp%02d", i).c_str(), "");
    }
    for (int i = 1; i <= 8; ++i) {
        in.Text(p.szGeneralItem[i - 1], NumberedKey("Gi%02d", i).c_str(), "");
    }
    in.Text(p.szLanProtocol, "Lndefp", "FtpSv");
    in.Text(p.szRsProtocol, "Rsdefp", "Serial");
}

void CParamFile::SaveParams() {
    CProfile profile;
    profile.Load(m_strPath);
    SaveParams(profile);
    profile.Save();
}

void CParamFile::SaveParams(CProfile& profile) const {
    CSectionWriter out(profile, PARAMINI_SECTION_PARAM);
    const NODEPARAM& p = m_param;

    out.Unsigned("OwnportX", p.wOwnPort);
    out.Signed("DestipX", static_cast<int32_t>(p.dwDestIp));
    out.Unsigned("DestportX", p.wDestPort);
    out.Unsigned("TimeX", p.byConnectTimer);
    out.Unsigned("Trg", p.byCommTrigger);
    out.Unsigned("Tmo", p.byNoCommTimer);
    out.Unsigned("ConnSts", p.byConnNotify);
    out.Unsigned("Mtu", p.wMtu);
    out.Unsigned("Keep", p.byKeepAlive);
    out.Unsigned("AutoNego", p.byAutoNego);
    out.Unsigned("IdleTimer", p.wIdleTimer);
    out.Unsigned("Snmp", p.bySnmp);
    uint8_t abTrap[4];
    std::memcpy(abTrap, &p.dwTrapIp, sizeof abTrap);
    out.Signed("TrapIp", LittleEndianValue(abTrap));
    out.Unsigned("Trap", p.byAuthTrap);

    out.Text("ObjId", p.szObjectId);
    out.Text("GetComm", p.szGetCommunity);
    out.Text("SetComm", p.szSetCommunity);
    out.Text("TrapComm", p.szTrapCommunity);
    out.Text("Location", p.szLocation);
    out.Text("Contact", p.szContact);
    out.Text("Name", p.szSysName);
    out.Text("User", p.szUserName);
    out.Text("Passw", p.szPassword);

    out.Unsigned("Bootp", p.byBootp);
    out.Unsigned("Dhcp", p.byDhcp);
    out.Unsigned("Speed", p.byBaudRate);
    out.Unsigned("Data", p.byDataBits);
    out.Unsigned("Stop", p.byStopBits);
    out.Unsigned("Parity", p.byParity);
    out.Unsigned("Flow", p.byFlowControl);
    out.Unsigned("ConnWatch", p.byConnWatch);

    out.Text("Fterm", FormatTerminator(p.byFileTermLen, p.abFileTerm));
    out.Text("Term", FormatTerminator(p.byRecordTermLen, p.abRecordTerm));

    for (int i = 1; i <= 16; ++i) {
        out.Text(NumberedKey("Sp%02d", i).c_str(), p.szStartProgram[i - 1]);
    }
    for (int i = 1; i <= 8; ++i) {
        out.Text(NumberedKey("Gi%02d", i).c_str(), p.szGeneralItem[i - 1]);
    }
    out.Text("Lndefp", p.szLanProtocol);
    out.Text("Rsdefp", p.szRsProtocol);
}

void CParamFile::Load(const std::string& strIniPath, SAppSettings& settings) {
    m_strPath = strIniPath;
    CProfile profile;
    profile.Load(m_strPath);
    LoadParams(profile);
    CSectionReader in(profile, PARAMINI_SECTION_APP);
    settings.m_nRetryGetParam = in.Int("Retrycnt_GetPrm", 3);
    settings.m_nTimeout = in.Int("Timeout", 5000);
    settings.m_nTimeoutAutoSet = in.Int("Timeout_AutoSet", 5000);
    settings.m_nTimeoutInitial = in.Int("Timeout_Initial", 5000);
    settings.m_nTimeoutSearch = in.Int("Timeout_Search", 1500);
}

void CParamFile::Save(const SAppSettings& settings) {
    CProfile profile;
    profile.Load(m_strPath);
    SaveParams(profile);
    CSectionWriter out(profile, PARAMINI_SECTION_APP);
    out.Signed("Retrycnt_GetPrm", settings.m_nRetryGetParam);
    out.Signed("Timeout", settings.m_nTimeout);
    out.Signed("Timeout_AutoSet", settings.m_nTimeoutAutoSet);
    out.Signed("Timeout_Initial", settings.m_nTimeoutInitial);
    out.Signed("Timeout_Search", settings.m_nTimeoutSearch);
    profile.Save();
}
