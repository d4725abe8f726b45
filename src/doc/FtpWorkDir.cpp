#include "doc/FtpWorkDir.h"

#include "doc/FtpRun.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

CFtpWorkDir::CFtpWorkDir() {
    const char* pszTmp = std::getenv("TMPDIR");
    std::string strBase = (pszTmp != nullptr && pszTmp[0] == '/') ? pszTmp : "/tmp";
    std::string strTemplate =
        strBase + "/" + FTP_WORK_DIR_PREFIX + std::to_string(::getpid()) + "-XXXXXX";
    if (::mkdtemp(strTemplate.data()) != nullptr) {
        // As the client's "lpwd" will print it.
        char* pszReal = ::realpath(strTemplate.c_str(), nullptr);
        m_strDir = pszReal != nullptr ? pszReal : strTemplate;
        std::free(pszReal);
    }
}

CFtpWorkDir::~CFtpWorkDir() {
    if (!m_strDir.empty()) {
        std::error_code ec;
        std::filesystem::remove_all(m_strDir, ec);
    }
}

std::optional<std::string> CFtpWorkDir::Read(const std::string& strName, size_t nMax) const {
    int fd = ::open(File(strName).c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return std::nullopt;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return std::nullopt;
    }
    std::string str;
    char ab[8192];
    ssize_t n;
    while (str.size() < nMax && (n = ::read(fd, ab, sizeof ab)) != 0) {
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            ::close(fd);
            return std::nullopt;
        }
        str.append(ab, std::min(static_cast<size_t>(n), nMax - str.size()));
    }
    ::close(fd);
    return str;
}
