#include "platform/AtomicFile.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace {
// As many links as the kernel itself follows before giving up.
constexpr int FILE_MAX_LINKS = 40;
constexpr int FILE_TEMP_TRIES = 100;
constexpr size_t FILE_TEMP_RANDOM = 6;

int Fail(int nErr, std::string& strError) {
    strError = std::system_category().message(nErr);
    return nErr;
}

int WriteAll(int fd, std::string_view strData) {
    size_t nDone = 0;
    while (nDone < strData.size()) {
        ssize_t n = ::write(fd, strData.data() + nDone, strData.size() - nDone);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        if (n == 0) {
            return EIO;
        }
        nDone += static_cast<size_t>(n);
    }
    return 0;
}

// The folder part of a path with its trailing slash, "" for a bare name.
std::string DirPart(const std::string& strPath) {
    size_t nSlash = strPath.find_last_of('/');
    return nSlash == std::string::npos ? std::string() : strPath.substr(0, nSlash + 1);
}

// Follows links at the last component of strPath to the path of the file
// itself, which may not exist yet; st gets its status when it exists.
int ResolveLinks(const std::string& strPath, std::string& strFinal, bool& bExists,
                 struct stat& st) {
    strFinal = strPath;
    for (int nHop = 0; nHop <= FILE_MAX_LINKS; ++nHop) {
        if (::lstat(strFinal.c_str(), &st) != 0) {
            bExists = false;
            return errno == ENOENT ? 0 : errno;
        }
        if (!S_ISLNK(st.st_mode)) {
            bExists = true;
            return 0;
        }
        char szLink[PATH_MAX];
        ssize_t nLen = ::readlink(strFinal.c_str(), szLink, sizeof szLink);
        if (nLen < 0) {
            return errno;
        }
        if (static_cast<size_t>(nLen) >= sizeof szLink) {
            return ENAMETOOLONG;
        }
        std::string strLink(szLink, static_cast<size_t>(nLen));
        strFinal = strLink.starts_with('/') ? strLink : DirPart(strFinal) + strLink;
    }
    return ELOOP;
}

int RandomSuffix(std::string& strSuffix) {
    static constexpr char CHARS[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    unsigned char abRandom[FILE_TEMP_RANDOM];
    if (::getrandom(abRandom, sizeof abRandom, 0) != static_cast<ssize_t>(sizeof abRandom)) {
        return errno != 0 ? errno : EIO;
    }
    strSuffix.clear();
    for (unsigned char b : abRandom) {
        strSuffix += CHARS[b % (sizeof CHARS - 1)];
    }
    return 0;
}

// Opens a new temporary file beside strTarget; its name goes to strTemp.
int CreateTemp(const std::string& strTarget, mode_t mode, std::string& strTemp, int& fd) {
    for (int nTry = 0; nTry < FILE_TEMP_TRIES; ++nTry) {
        std::string strSuffix;
        if (int nErr = RandomSuffix(strSuffix); nErr != 0) {
            return nErr;
        }
        strTemp = strTarget + ".tmp-" + strSuffix;
        fd = ::open(strTemp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd >= 0) {
            return 0;
        }
        if (errno != EEXIST) {
            return errno;
        }
    }
    return EEXIST;
}

// Makes the rename durable; the new file is complete whether or not this works.
void SyncDir(const std::string& strFile) {
    std::string strDir = DirPart(strFile);
    int fdDir = ::open(strDir.empty() ? "." : strDir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fdDir >= 0) {
        ::fsync(fdDir);
        ::close(fdDir);
    }
}
} // namespace

int WriteFileAtomic(const std::string& strPath, std::string_view strData, mode_t modeNew,
                    std::string& strError) {
    strError.clear();
    std::string strTarget;
    bool bOld = false;
    struct stat stOld {};
    if (int nErr = ResolveLinks(strPath, strTarget, bOld, stOld); nErr != 0) {
        return Fail(nErr, strError);
    }
    if (bOld) {
        if (S_ISDIR(stOld.st_mode)) {
            return Fail(EISDIR, strError);
        }
        if (S_ISCHR(stOld.st_mode) || S_ISBLK(stOld.st_mode)) {
            return Fail(EINVAL, strError); // a device is never replaced by a plain file
        }
        if (S_ISREG(stOld.st_mode)) {
            // A file without any write permission is read-only for us too, root or not.
            if ((stOld.st_mode & 0222) == 0) {
                return Fail(EROFS, strError);
            }
            if (::access(strTarget.c_str(), W_OK) != 0) {
                return Fail(errno, strError);
            }
        } else {
            bOld = false; // a FIFO or socket in the way: replaced by a new file
        }
    }

    std::string strTemp;
    int fd = -1;
    if (int nErr = CreateTemp(strTarget, bOld ? 0600 : modeNew, strTemp, fd); nErr != 0) {
        return Fail(nErr, strError);
    }
    int nErr = 0;
    if (bOld) {
        // Another owner is kept where we may give the file away; the mode always.
        if (::fchown(fd, stOld.st_uid, stOld.st_gid) != 0) {
            // the new file stays ours
        }
        if (::fchmod(fd, stOld.st_mode & 07777) != 0) {
            nErr = errno;
        }
    }
    if (nErr == 0) {
        nErr = WriteAll(fd, strData);
    }
    if (nErr == 0 && ::fsync(fd) != 0) {
        nErr = errno;
    }
    if (::close(fd) != 0 && nErr == 0) {
        nErr = errno;
    }
    if (nErr == 0 && ::rename(strTemp.c_str(), strTarget.c_str()) != 0) {
        nErr = errno;
    }
    if (nErr != 0) {
        ::unlink(strTemp.c_str());
        return Fail(nErr, strError);
    }
    SyncDir(strTarget);
    return 0;
}

int CreateExclusiveFile(const std::string& strPath, std::string_view strData, mode_t mode,
                        std::string& strError) {
    strError.clear();
    int fd = ::open(strPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
    if (fd < 0) {
        return Fail(errno, strError);
    }
    // The umask only takes bits away; this sets exactly the bits asked for.
    int nErr = ::fchmod(fd, mode) == 0 ? 0 : errno;
    if (nErr == 0) {
        nErr = WriteAll(fd, strData);
    }
    if (::close(fd) != 0 && nErr == 0) {
        nErr = errno;
    }
    if (nErr != 0) {
        ::unlink(strPath.c_str());
        return Fail(nErr, strError);
    }
    return 0;
}
