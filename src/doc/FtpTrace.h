#pragma once
#include "doc/FtpRun.h"

#include <cstdio>
#include <string>

// One step told to the trace, if any, with the account masked.
class CFtpTrace {
public:
    CFtpTrace(const SFtpRunEnv& env, const std::string& strHost, const std::string& strUser,
              const std::string& strPassword)
        : m_env(env), m_strHost(strHost), m_strUser(strUser), m_strPassword(strPassword) {}
    bool IsOn() const { return static_cast<bool>(m_env.fnTrace); }
    void Say(const char* pszFormat, const std::string& strArg = "") const {
        if (IsOn()) {
            char sz[2048];
            std::snprintf(sz, sizeof sz, pszFormat, m_strHost.c_str(), strArg.c_str());
            m_env.fnTrace(MaskFtpAccount(sz, m_strUser, m_strPassword));
        }
    }
    void SayStatus(const char* pszFormat, int nStatus) const {
        if (IsOn()) {
            char sz[512];
            std::snprintf(sz, sizeof sz, pszFormat, m_strHost.c_str(), nStatus);
            m_env.fnTrace(sz);
        }
    }
    // Each line of strText after its format's mark ("ftp> ", "ftp< ").
    void SayLines(const char* pszFormat, const std::string& strText) const {
        if (!IsOn()) {
            return;
        }
        size_t nStart = 0;
        while (nStart < strText.size()) {
            size_t nEnd = strText.find('\n', nStart);
            std::string strLine =
                strText.substr(nStart, nEnd == std::string::npos ? nEnd : nEnd - nStart);
            if (!strLine.empty() && strLine.back() == '\r') {
                strLine.pop_back();
            }
            strLine = MaskFtpAccount(strLine, m_strUser, m_strPassword);
            char sz[2048];
            std::snprintf(sz, sizeof sz, pszFormat, strLine.c_str());
            m_env.fnTrace(sz);
            if (nEnd == std::string::npos) {
                break;
            }
            nStart = nEnd + 1;
        }
    }

private:
    const SFtpRunEnv& m_env;
    std::string m_strHost, m_strUser, m_strPassword;
};
