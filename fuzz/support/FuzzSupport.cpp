#include "FuzzSupport.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

void FuzzFail(const char* pszFile, int nLine, const char* pszCond, const std::string& strWhat) {
    std::fprintf(stderr, "\n==oracle== %s:%d: %s\n==oracle== %s\n", pszFile, nLine, pszCond,
                 strWhat.c_str());
    std::fflush(stderr);
    std::abort();
}

namespace {
// A folder's entries with their kinds, sizes and times: what a change would touch.
std::string FolderState(const std::string& strDir) {
    std::error_code ec;
    std::vector<std::string> vec;
    for (fs::directory_iterator it(strDir, ec), end; !ec && it != end; it.increment(ec)) {
        struct stat st {};
        std::string strPath = it->path().string();
        if (::lstat(strPath.c_str(), &st) == 0) {
            vec.push_back(it->path().filename().string() + ":" + std::to_string(st.st_mode) + ":" +
                          std::to_string(st.st_size) + ":" + std::to_string(st.st_mtim.tv_sec) +
                          "." + std::to_string(st.st_mtim.tv_nsec));
        }
    }
    std::sort(vec.begin(), vec.end());
    std::string str;
    for (const std::string& s : vec) {
        str += s + "\n";
    }
    return str;
}

std::string ProgramDir() {
    std::error_code ec;
    fs::path path = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : path.parent_path().string();
}
} // namespace

CFuzzScratch& CFuzzScratch::Get() {
    static CFuzzScratch s_scratch;
    return s_scratch;
}

CFuzzScratch::CFuzzScratch() {
    // The real home's files of the manager are watched, not used.
    const char* pszHome = std::getenv("HOME");
    if (pszHome != nullptr && pszHome[0] == '/') {
        m_vecWatched.push_back(std::string(pszHome) + "/.config/mrvmgr");
    }
    m_vecWatched.push_back(ProgramDir());

    const char* pszTmp = std::getenv("TMPDIR");
    std::string strTemplate =
        std::string(pszTmp != nullptr && pszTmp[0] == '/' ? pszTmp : "/tmp") + "/orvix-fuzz-XXXXXX";
    if (::mkdtemp(strTemplate.data()) == nullptr) {
        FuzzFail(__FILE__, __LINE__, "mkdtemp", "no scratch folder under " + strTemplate);
    }
    m_strDir = strTemplate + "/";
    for (const std::string& strWatched : m_vecWatched) {
        m_vecWatchedState.push_back(FolderState(strWatched));
    }
    std::string strHome = File("home");
    std::string strRun = File("run");
    std::string strTmp = File("tmp");
    for (const std::string& str : {strHome, strRun, strTmp}) {
        ::mkdir(str.c_str(), 0700);
    }
    ::setenv("HOME", strHome.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (strHome + "/.config").c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", strRun.c_str(), 1);
    ::setenv("TMPDIR", strTmp.c_str(), 1);
}

CFuzzScratch::~CFuzzScratch() {
    std::error_code ec;
    fs::remove_all(m_strDir, ec);
}

void CFuzzScratch::Clear(const std::vector<std::string>& vecKeep) const {
    std::error_code ec;
    for (fs::directory_iterator it(m_strDir, ec), end; !ec && it != end; it.increment(ec)) {
        std::string strName = it->path().filename().string();
        if (std::find(vecKeep.begin(), vecKeep.end(), strName) == vecKeep.end()) {
            std::error_code ecRemove;
            fs::remove_all(it->path(), ecRemove);
        }
    }
}

std::vector<std::string> CFuzzScratch::List() const {
    std::vector<std::string> vec;
    std::error_code ec;
    for (fs::directory_iterator it(m_strDir, ec), end; !ec && it != end; it.increment(ec)) {
        vec.push_back(it->path().filename().string());
    }
    std::sort(vec.begin(), vec.end());
    return vec;
}

void CFuzzScratch::CheckOutsideUnchanged() const {
    for (size_t i = 0; i < m_vecWatched.size(); ++i) {
        FUZZ_CHECK(FolderState(m_vecWatched[i]) == m_vecWatchedState[i],
                   "a folder outside the scratch folder changed: " + m_vecWatched[i]);
    }
}

std::string ReadWholeFile(const std::string& strPath, bool* pExists) {
    struct stat st {};
    if (pExists != nullptr) {
        *pExists = ::lstat(strPath.c_str(), &st) == 0;
    }
    if (::stat(strPath.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return {}; // a folder or a device has no bytes of a file
    }
    std::ifstream in(strPath, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteWholeFile(const std::string& strPath, const std::string& strData) {
    std::ofstream out(strPath, std::ios::binary | std::ios::trunc);
    out << strData;
}

std::string Shown(const std::string& str) {
    std::string strOut;
    for (char c : str) {
        auto by = static_cast<unsigned char>(c);
        if (by < 0x20 || by >= 0x7F || c == '\\') {
            char sz[8];
            std::snprintf(sz, sizeof sz, "\\x%02x", by);
            strOut += sz;
        } else {
            strOut += c;
        }
    }
    return strOut;
}
