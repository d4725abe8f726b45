// The node's side of FTP: its account, what it stores, installs and deletes.
#include "SimNode.h"

#include "SRecord.h"

#include <algorithm>
#include <cstring>
#include <regex>

namespace {
std::string Text(const char* psz, size_t nWidth) {
    return std::string(psz, strnlen(psz, nWidth));
}

bool EndsWithMot(const std::string& str) {
    if (str.size() < 4) {
        return false;
    }
    std::string strExt = str.substr(str.size() - 4);
    for (char& c : strExt) {
        c = char(c >= 'A' && c <= 'Z' ? c + 32 : c);
    }
    return strExt == ".mot";
}

// Whether an application of this name fits: it replaces one, or one more fits.
bool HasRoomFor(const CSimFileStore& files, const std::string& strName) {
    const SSimFile* pOld = files.Find(strName);
    return (pOld != nullptr && pOld->eKind == ESimFileKind::UserApp) ||
           files.CountKind(ESimFileKind::UserApp) < SIM_MAX_APPS;
}
} // namespace

std::string CSimNode::AccountUser() const {
    return Text(m_param.szUserName, sizeof m_param.szUserName);
}

std::string CSimNode::AccountPassword() const {
    return Text(m_param.szPassword, sizeof m_param.szPassword);
}

bool CSimNode::CheckLogin(const std::string& strUser, const std::string& strPassword) const {
    if (m_faults.bNoLogin) {
        return false;
    }
    std::string strAccount = AccountUser();
    if (strAccount.empty()) {
        return strUser == "(none)"; // any password, as for an anonymous login
    }
    return strUser == strAccount && strPassword == AccountPassword();
}

SSimFtpResult CSimNode::CheckStore(const std::string& strName) const {
    if (strName.find('/') != std::string::npos) {
        return {553, "Could not create file."};
    }
    if (m_faults.bNoStor) {
        return {550, strName + ": Permission denied."};
    }
    if (strName.empty() || strName == "." || strName == "..") {
        return {553, "File name not allowed."};
    }
    if (const SSimFile* pOld = m_files.Find(strName)) {
        if (pOld->eKind == ESimFileKind::Kernel || pOld->eKind == ESimFileKind::System) {
            return {553, strName + ": Permission denied."};
        }
    }
    // An installing node learns the application's name only from the image.
    if (EndsWithMot(strName) && m_byMode == NODEMODE_SETUP && m_eStore == ESimStore::Keep) {
        if (strName.size() > SIM_MAX_NAME) {
            return {553, strName + ": Application name too long."};
        }
        if (!HasRoomFor(m_files, strName)) {
            return {552, "No room for another application."};
        }
    }
    return {150, "Opening BINARY mode data connection for " + strName + "."};
}

SSimFtpResult CSimNode::Store(const std::string& strName, const std::string& strData) {
    SSimFtpResult check = CheckStore(strName);
    if (!check.Ok()) {
        return check;
    }
    SSimFile file;
    file.strName = strName;
    file.nSize = strData.size();
    file.strData = strData;
    file.bHasData = true;
    if (EndsWithMot(strName)) {
        SSRecordImage image = SRecordParse(strData);
        if (!image.bValid) {
            return {451, strName + ": image refused, " + image.strError + "."};
        }
        if (m_byMode == NODEMODE_SETUP && m_eStore == ESimStore::Install) {
            return Install(strName, image);
        }
        file.nMajor = image.nMajor;
        file.nMinor = image.nMinor;
        file.wSum = image.wSum;
        if (m_byMode == NODEMODE_SETUP) {
            file.eKind = ESimFileKind::UserApp;
        } else {
            file.eKind = ESimFileKind::Kernel;
            m_files.RemoveKind(ESimFileKind::Kernel);
        }
    }
    if (file.eKind == ESimFileKind::Kernel) {
        // The kernel stays first in the listing.
        std::vector<SSimFile> vecRest = m_files.Files();
        m_files = CSimFileStore();
        m_files.Put(file);
        for (const SSimFile& f : vecRest) {
            m_files.Put(f);
        }
    } else {
        m_files.Put(file);
    }
    return {226, "Transfer complete."};
}

SSimFtpResult CSimNode::Install(const std::string& strName, const SSRecordImage& image) {
    // "NAME Vm.nn" in the header names the application; else the file's name
    // without its extension, version 1.00.
    static const std::regex s_re("([!-~]+) V([0-9]{1,3})\\.([0-9]{2})");
    SSimFile app;
    app.eKind = ESimFileKind::UserApp;
    app.wSum = image.wSum;
    std::smatch m;
    if (std::regex_match(image.strHeader, m, s_re) && std::stoi(m[2].str()) <= 127) {
        app.strName = m[1].str();
        app.nMajor = std::stoi(m[2].str());
        app.nMinor = std::stoi(m[3].str());
    } else {
        app.strName = strName.substr(0, strName.size() - 4);
        app.nMajor = 1;
        app.nMinor = 0;
    }
    if (app.strName.empty() || app.strName.size() > SIM_MAX_NAME) {
        return {553, app.strName + ": Application name too long."};
    }
    if (!HasRoomFor(m_files, app.strName)) {
        return {552, "No room for another application."};
    }
    // The node keeps the image's bytes in whole sectors, not the text it was sent.
    size_t nSectors =
        std::max<size_t>(1, (image.nDataBytes + SIM_SECTOR_BYTES - 1) / SIM_SECTOR_BYTES);
    app.nSize = nSectors * SIM_SECTOR_BYTES;
    m_files.Put(app);
    return {226, "Transfer complete."};
}

SSimFtpResult CSimNode::Delete(const std::string& strName) {
    const SSimFile* pFile =
        strName.find('/') == std::string::npos ? m_files.Find(strName) : nullptr;
    if (pFile == nullptr) {
        return {550, strName + ": No such file."};
    }
    if (pFile->eKind == ESimFileKind::Kernel || pFile->eKind == ESimFileKind::System) {
        return {550, strName + ": Permission denied."};
    }
    m_files.Remove(strName);
    return {250, "DELE command successful."};
}

void CSimNode::NoteFtpCommand(const std::string& strLine) {
    if (m_deqFtpLog.size() >= SIM_HISTORY_LIMIT) {
        m_deqFtpLog.pop_front();
    }
    m_deqFtpLog.push_back(strLine);
}
