// The data file: the registry and the two IP-search lists in the object-archive
// layout, read once when the document is created and written once at its end.
#include "doc/OrvixDoc.h"
#include "platform/AtomicFile.h"
#include "registry/Archive.h"
#include "res/Texts.h"
#include "ui/Ui.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

enum : size_t { DOC_CLASS_IPSEARCH = 0, DOC_CLASS_NET = 1, DOC_CLASS_NODE = 2 };

std::vector<std::string> DocumentClasses() {
    return {"CIpSearchList", "CNetProperty", "COXParam"};
}

constexpr size_t IPSEARCH_FIELD_LEN = 15;
// Far above any real registry; a bigger file is not one of ours.
constexpr size_t DOC_MAX_FILE_SIZE = size_t{16} << 20;
// The network count and the current index are signed WORDs.
constexpr uint32_t DOC_MAX_NETWORKS = 0x7FFF;
// Rough in-memory cost of one record beyond its texts, for the reference budget.
constexpr size_t DOC_RECORD_WEIGHT = 64;
// The smallest object record (a reference) takes one WORD.
constexpr size_t DOC_MIN_OBJECT_BYTES = 2;

struct SDocumentContent {
    int16_t nCurNet = -1;
    std::vector<CIpSearchList> listIpAddr;
    std::vector<CIpSearchList> listSearchTarget;
    std::vector<std::unique_ptr<CNetProperty>> arrNets;
};

size_t NodeWeight(const COXParam& node) {
    return DOC_RECORD_WEIGHT + node.m_strSerial.size() + node.m_strMac.size() +
           node.m_strRemarks.size();
}

size_t NetWeight(const CNetProperty& net) {
    size_t nWeight = DOC_RECORD_WEIGHT + net.m_strName.size();
    for (const COXParam& node : net.m_arrNodes) {
        nWeight += NodeWeight(node);
    }
    return nWeight;
}

// Parses the whole file into content of its own; the document takes it only
// when everything was read.
class CDocumentParser {
public:
    CDocumentParser(const uint8_t* pData, size_t nSize)
        : m_ar(pData, nSize, DocumentClasses()), m_nCopyBudget(nSize + (size_t{1} << 20)) {}

    bool Parse(SDocumentContent& content) {
        uint16_t wNetCount = 0; // the array's own count below is what counts
        uint16_t wCurNet = 0;
        uint16_t wIpCount = 0;
        uint16_t wTargetCount = 0;
        if (!m_ar.ReadWord(wNetCount) || !m_ar.ReadWord(wCurNet) || !m_ar.ReadWord(wIpCount) ||
            !m_ar.ReadWord(wTargetCount) || !FitsObjects(size_t{wIpCount} + wTargetCount)) {
            return false;
        }
        for (uint16_t i = 0; i < wIpCount; ++i) {
            if (!ReadIpEntry(content.listIpAddr)) {
                return false;
            }
        }
        for (uint16_t i = 0; i < wTargetCount; ++i) {
            if (!ReadIpEntry(content.listSearchTarget)) {
                return false;
            }
        }
        uint32_t nNets = 0;
        if (!m_ar.ReadCount(nNets) || nNets > DOC_MAX_NETWORKS || !FitsObjects(nNets)) {
            return false;
        }
        for (uint32_t i = 0; i < nNets; ++i) {
            if (!ReadNetwork(content.arrNets)) {
                return false;
            }
        }
        content.nCurNet = static_cast<int16_t>(wCurNet);
        return true;
    }

private:
    // Where an object read earlier lives, for a later reference to it.
    struct SObjectPlace {
        const std::vector<CIpSearchList>* pList = nullptr;
        const CNetProperty* pNet = nullptr;
        size_t nIndex = 0;
        bool bRead = false;
    };

    // Object numbers count up from 1 as objects are read, so a vector indexed
    // by number holds the places; the number is bounded by what the file holds.
    void NotePlace(uint32_t nNumber, SObjectPlace place) {
        if (nNumber >= m_vecObjects.size()) {
            m_vecObjects.resize(nNumber + size_t{1});
        }
        place.bRead = true;
        m_vecObjects[nNumber] = place;
    }

    // A count the remaining bytes cannot hold is refused before anything is allocated.
    bool FitsObjects(size_t nCount) const {
        return nCount <= m_ar.GetRemaining() / DOC_MIN_OBJECT_BYTES;
    }

    // References copy objects read earlier; a few bytes of them must not
    // multiply the registry without bound.
    bool Charge(size_t nWeight) {
        if (nWeight > m_nCopyBudget) {
            return false;
        }
        m_nCopyBudget -= nWeight;
        return true;
    }

    // The tag of an object of class nClass; false for no object or another class.
    bool ReadTag(size_t nClass, SObjectTag& tag, const SObjectPlace** ppPlace) {
        if (!m_ar.ReadObjectTag(tag) || tag.eKind == EObjectTag::Null || tag.nClass != nClass) {
            return false;
        }
        *ppPlace = nullptr;
        if (tag.eKind == EObjectTag::Reference) {
            // Only objects read to their end can be referred to.
            if (tag.nNumber >= m_vecObjects.size() || !m_vecObjects[tag.nNumber].bRead) {
                return false;
            }
            *ppPlace = &m_vecObjects[tag.nNumber];
        }
        return true;
    }

    bool ReadIpEntry(std::vector<CIpSearchList>& list) {
        SObjectTag tag;
        const SObjectPlace* pPlace = nullptr;
        if (!ReadTag(DOC_CLASS_IPSEARCH, tag, &pPlace)) {
            return false;
        }
        if (pPlace != nullptr) {
            CIpSearchList entry = (*pPlace->pList)[pPlace->nIndex];
            if (!Charge(DOC_RECORD_WEIGHT)) {
                return false;
            }
            list.push_back(std::move(entry));
            return true;
        }
        char szIp[IPSEARCH_FIELD_LEN];
        if (!m_ar.ReadBytes(szIp, sizeof szIp)) {
            return false;
        }
        CIpSearchList entry;
        entry.m_strIp.assign(szIp, strnlen(szIp, sizeof szIp));
        list.push_back(std::move(entry));
        NotePlace(tag.nNumber, {&list, nullptr, list.size() - 1});
        return true;
    }

    bool ReadNetwork(std::vector<std::unique_ptr<CNetProperty>>& arrNets) {
        SObjectTag tag;
        const SObjectPlace* pPlace = nullptr;
        if (!ReadTag(DOC_CLASS_NET, tag, &pPlace)) {
            return false;
        }
        if (pPlace != nullptr) {
            if (!Charge(NetWeight(*pPlace->pNet))) {
                return false;
            }
            arrNets.push_back(std::make_unique<CNetProperty>(*pPlace->pNet));
            return true;
        }
        auto pNet = std::make_unique<CNetProperty>();
        uint16_t wNodeCount = 0; // the array's own count below is what counts
        uint32_t nNodes = 0;
        if (!m_ar.ReadString(pNet->m_strName) || !m_ar.ReadDword(pNet->m_dwBaseIp) ||
            !m_ar.ReadByte(pNet->m_nIpIncrement) || !m_ar.ReadDword(pNet->m_dwSubnetMask) ||
            !m_ar.ReadDword(pNet->m_dwGateway) || !m_ar.ReadWord(wNodeCount) ||
            !m_ar.ReadCount(nNodes) || nNodes > NET_MAX_NODES || !FitsObjects(nNodes)) {
            return false;
        }
        pNet->m_arrNodes.reserve(nNodes); // bounded just above
        for (uint32_t i = 0; i < nNodes; ++i) {
            if (!ReadNode(*pNet)) {
                return false;
            }
        }
        NotePlace(tag.nNumber, {nullptr, pNet.get(), 0});
        arrNets.push_back(std::move(pNet));
        return true;
    }

    bool ReadNode(CNetProperty& net) {
        SObjectTag tag;
        const SObjectPlace* pPlace = nullptr;
        if (!ReadTag(DOC_CLASS_NODE, tag, &pPlace)) {
            return false;
        }
        if (pPlace != nullptr) {
            COXParam node = pPlace->pNet->m_arrNodes[pPlace->nIndex];
            if (!Charge(NodeWeight(node))) {
                return false;
            }
            net.m_arrNodes.push_back(std::move(node));
            return true;
        }
        COXParam node;
        uint8_t byModel = 0;
        if (!m_ar.ReadByte(byModel) || !m_ar.ReadString(node.m_strSerial) ||
            !m_ar.ReadString(node.m_strMac) || !m_ar.ReadDword(node.m_dwIp) ||
            !m_ar.ReadString(node.m_strRemarks)) {
            return false;
        }
        node.m_nModel = byModel; // the upper bytes start as 0
        net.m_arrNodes.push_back(std::move(node));
        NotePlace(tag.nNumber, {nullptr, &net, net.m_arrNodes.size() - 1});
        return true;
    }

    CArchiveReader m_ar;
    std::vector<SObjectPlace> m_vecObjects;
    size_t m_nCopyBudget;
};

void WriteIpEntry(CArchiveWriter& ar, const CIpSearchList& entry) {
    ar.WriteObjectTag(DOC_CLASS_IPSEARCH);
    char szIp[IPSEARCH_FIELD_LEN] = {};
    std::memcpy(szIp, entry.m_strIp.data(), std::min(entry.m_strIp.size(), sizeof szIp));
    ar.WriteBytes(szIp, sizeof szIp);
}

void WriteNetwork(CArchiveWriter& ar, const CNetProperty& net) {
    ar.WriteObjectTag(DOC_CLASS_NET);
    ar.WriteString(net.m_strName);
    ar.WriteDword(net.m_dwBaseIp);
    ar.WriteByte(net.m_nIpIncrement);
    ar.WriteDword(net.m_dwSubnetMask);
    ar.WriteDword(net.m_dwGateway);
    ar.WriteWord(static_cast<uint16_t>(net.GetNodeCount()));
    ar.WriteCount(static_cast<uint32_t>(net.m_arrNodes.size()));
    for (const COXParam& node : net.m_arrNodes) {
        ar.WriteObjectTag(DOC_CLASS_NODE);
        ar.WriteByte(static_cast<uint8_t>(node.m_nModel & 0xFF));
        ar.WriteString(node.m_strSerial);
        ar.WriteString(node.m_strMac);
        ar.WriteDword(node.m_dwIp);
        ar.WriteString(node.m_strRemarks);
    }
}

std::string FileTitle(const std::string& strPath) {
    size_t nSlash = strPath.find_last_of('/');
    return nSlash == std::string::npos ? strPath : strPath.substr(nSlash + 1);
}

std::string FormatArg(const char* pszFormat, const std::string& strArg) {
    std::string strText = pszFormat;
    size_t nPos = strText.find("%1");
    if (nPos != std::string::npos) {
        strText.replace(nPos, 2, strArg);
    }
    return strText;
}

std::string ReadErrorText(int nErr, const std::string& strTitle) {
    switch (nErr) {
    case EACCES:
    case EPERM:
        return FormatArg(TXT_DOC_ACCESS_DENIED, strTitle);
    case EBUSY:
    case ETXTBSY:
    case EAGAIN:
        return FormatArg(TXT_DOC_READ_SHARING, strTitle);
    case ENOENT:
    case ENOTDIR:
    case EISDIR:
    case ENAMETOOLONG:
    case ELOOP:
        return FormatArg(TXT_DOC_READ_BAD_PATH, strTitle);
    case EIO:
        return FormatArg(TXT_DOC_READ_HARD_IO, strTitle);
    case EMFILE:
    case ENFILE:
        return FormatArg(TXT_DOC_TOO_MANY_FILES, strTitle);
    default:
        return TXT_DOC_OPEN_FAILED;
    }
}

std::string WriteErrorText(int nErr, const std::string& strTitle) {
    switch (nErr) {
    case FILE_ERR_UNSAFE_LINK:
        return FormatArg(TXT_DOC_UNSAFE_LINK, strTitle);
    case EACCES:
    case EPERM:
        return FormatArg(TXT_DOC_ACCESS_DENIED, strTitle);
    case EBUSY:
    case ETXTBSY:
    case EROFS:
        return FormatArg(TXT_DOC_WRITE_SHARING, strTitle);
    case ENOENT:
    case ENOTDIR:
    case EISDIR:
    case ENAMETOOLONG:
    case ELOOP:
        return FormatArg(TXT_DOC_WRITE_BAD_PATH, strTitle);
    case ENOSPC:
    case EDQUOT:
        return FormatArg(TXT_DOC_DISK_FULL, strTitle);
    case EIO:
        return FormatArg(TXT_DOC_WRITE_HARD_IO, strTitle);
    case EMFILE:
    case ENFILE:
        return FormatArg(TXT_DOC_TOO_MANY_FILES, strTitle);
    default:
        return TXT_DOC_SAVE_FAILED;
    }
}

// 0, or the errno of the failure. A file beyond the size limit sets bTooLarge
// and is not read.
int ReadWholeFile(const std::string& strPath, std::vector<uint8_t>& vecData, bool& bTooLarge) {
    // Non-blocking, so that a FIFO at the path cannot hang the start.
    int fd = open(strPath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return errno;
    }
    struct stat st {};
    int nErr = 0;
    if (fstat(fd, &st) != 0) {
        nErr = errno;
    } else if (S_ISDIR(st.st_mode)) {
        nErr = EISDIR;
    } else if (!S_ISREG(st.st_mode)) {
        nErr = EINVAL;
    }
    if (nErr == 0 && st.st_size > 0) {
        // The size is only a hint (the file may change meanwhile), but it spares
        // the regrowth of a big buffer.
        vecData.reserve(std::min<size_t>(static_cast<size_t>(st.st_size), DOC_MAX_FILE_SIZE));
    }
    uint8_t abyChunk[65536];
    while (nErr == 0) {
        ssize_t nRead = read(fd, abyChunk, sizeof abyChunk);
        if (nRead < 0) {
            if (errno == EINTR) {
                continue;
            }
            nErr = errno;
            break;
        }
        if (nRead == 0) {
            break;
        }
        if (vecData.size() + static_cast<size_t>(nRead) > DOC_MAX_FILE_SIZE) {
            bTooLarge = true;
            vecData.clear();
            break;
        }
        vecData.insert(vecData.end(), abyChunk, abyChunk + nRead);
    }
    close(fd);
    return nErr;
}

} // namespace

bool COrvixDoc::DocumentFileExists(const std::string& strPath) {
    struct stat st {};
    if (stat(strPath.c_str(), &st) == 0) {
        return true;
    }
    // Anything but plain absence is left for the load to report.
    return errno != ENOENT && errno != ENOTDIR;
}

std::string COrvixDoc::KeepUnreadableFile() {
    const std::string& strPath = m_env.strDataPath;
    struct stat st {};
    if (stat(strPath.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return ""; // nothing a save could overwrite
    }
    char szStamp[32] = {};
    std::time_t now = std::time(nullptr);
    std::tm tmNow{};
    localtime_r(&now, &tmNow);
    std::strftime(szStamp, sizeof szStamp, "%Y%m%d-%H%M%S", &tmNow);
    const std::string strBase = strPath + ".bad-" + szStamp;
    for (int i = 1; i < 100; ++i) {
        std::string strAside = i == 1 ? strBase : strBase + "-" + std::to_string(i);
        struct stat stAside {};
        if (lstat(strAside.c_str(), &stAside) == 0) {
            continue;
        }
        if (rename(strPath.c_str(), strAside.c_str()) == 0) {
            return strAside;
        }
        break;
    }
    m_bSkipSave = true;
    return "";
}

int COrvixDoc::LoadDocument() {
    m_arrNets.clear();
    m_nCurNet = -1;
    m_pCurNet = nullptr;
    m_listIpAddr.clear();
    m_listSearchTarget.clear();
    m_bSkipSave = false;

    const std::string& strPath = m_env.strDataPath;
    std::vector<uint8_t> vecData;
    bool bTooLarge = false;
    std::string strText;
    int nErr = ReadWholeFile(strPath, vecData, bTooLarge);
    if (nErr != 0) {
        strText = ReadErrorText(nErr, FileTitle(strPath));
    } else {
        SDocumentContent content;
        if (!bTooLarge && CDocumentParser(vecData.data(), vecData.size()).Parse(content)) {
            m_listIpAddr = std::move(content.listIpAddr);
            m_listSearchTarget = std::move(content.listSearchTarget);
            m_arrNets = std::move(content.arrNets);
            // An index naming no network would point nowhere: no network is current then.
            m_nCurNet = (content.nCurNet >= -1 && content.nCurNet < GetNetCount())
                            ? content.nCurNet
                            : static_cast<int16_t>(-1);
            // The views do not exist yet; only the derived members are refreshed.
            for (size_t i = 0; i < m_arrNets.size(); ++i) {
                m_arrNets[i]->m_nMenuId = NET_MENU_ID_BASE + static_cast<uint32_t>(i);
            }
            m_pCurNet = m_nCurNet >= 0 ? m_arrNets[static_cast<size_t>(m_nCurNet)].get() : nullptr;
            return 0;
        }
        strText = TXT_DOC_BAD_FORMAT;
    }

    if (!m_env.bMoveUnreadableAside) {
        // Left as it is, and not overwritten at the end either.
        m_bSkipSave = true;
        m_env.ui.ShowMessage(strText);
        return -1;
    }
    std::string strAside = KeepUnreadableFile();
    if (!strAside.empty()) {
        strText += "\n";
        strText += FormatArg(TXT_DOC_KEPT_ASIDE, strAside);
    } else if (m_bSkipSave) {
        strText += "\n";
        strText += FormatArg(TXT_DOC_KEEP_ASIDE_FAILED, strPath);
    }
    m_env.ui.ShowMessage(strText);
    return -1;
}

int COrvixDoc::SaveDocument() {
    if (m_bSkipSave) {
        return -1; // the operator was told at the start
    }
    CArchiveWriter ar(DocumentClasses());
    ar.WriteWord(static_cast<uint16_t>(GetNetCount()));
    ar.WriteWord(static_cast<uint16_t>(m_nCurNet));
    // The two list counts are plain WORDs.
    size_t nIpCount = std::min<size_t>(m_listIpAddr.size(), 0xFFFF);
    size_t nTargetCount = std::min<size_t>(m_listSearchTarget.size(), 0xFFFF);
    ar.WriteWord(static_cast<uint16_t>(nIpCount));
    ar.WriteWord(static_cast<uint16_t>(nTargetCount));
    for (size_t i = 0; i < nIpCount; ++i) {
        WriteIpEntry(ar, m_listIpAddr[i]);
    }
    for (size_t i = 0; i < nTargetCount; ++i) {
        WriteIpEntry(ar, m_listSearchTarget[i]);
    }
    ar.WriteCount(static_cast<uint32_t>(m_arrNets.size()));
    for (const auto& pNet : m_arrNets) {
        WriteNetwork(ar, *pNet);
    }

    const std::vector<uint8_t>& vecData = ar.GetData();
    std::string strError;
    int nErr = WriteFileAtomic(
        m_env.strDataPath,
        std::string_view(reinterpret_cast<const char*>(vecData.data()), vecData.size()), 0666,
        strError);
    if (nErr != 0) {
        m_env.ui.ShowMessage(WriteErrorText(nErr, FileTitle(m_env.strDataPath)));
        return -1;
    }
    return 0;
}
