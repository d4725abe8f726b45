#include "platform/AtomicFile.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace {
// As many links as the kernel itself follows before giving up.
constexpr int FILE_MAX_LINKS = 40;
constexpr int FILE_TEMP_TRIES = 100;
constexpr size_t FILE_TEMP_RANDOM = 6;

constexpr char FILE_TEMP_MARK[] = ".tmp-";
constexpr char FILE_TEMP_CHARS[] = "abcdefghijklmnopqrstuvwxyz0123456789";

int Fail(int nErr, std::string& strError) {
    strError = nErr == FILE_ERR_UNSAFE_LINK
                   ? "a link another user put into a shared folder is not followed"
                   : std::system_category().message(nErr);
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

std::string NamePart(const std::string& strPath) {
    size_t nSlash = strPath.find_last_of('/');
    return nSlash == std::string::npos ? strPath : strPath.substr(nSlash + 1);
}

// The kernel's rule for links in shared folders (protected_symlinks), kept
// whether or not the kernel keeps it: a link in a sticky, world-writable
// folder is followed only when it is ours or the folder owner's.
bool MayFollowLink(const std::string& strLink, const struct stat& stLink) {
    std::string strDir = DirPart(strLink);
    struct stat stDir {};
    if (::stat(strDir.empty() ? "." : strDir.c_str(), &stDir) != 0) {
        return false;
    }
    const bool bShared = (stDir.st_mode & S_ISVTX) != 0 && (stDir.st_mode & S_IWOTH) != 0;
    return !bShared || stLink.st_uid == ::geteuid() || stLink.st_uid == stDir.st_uid;
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
        if (!MayFollowLink(strFinal, st)) {
            return FILE_ERR_UNSAFE_LINK;
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
    unsigned char abRandom[FILE_TEMP_RANDOM];
    if (::getrandom(abRandom, sizeof abRandom, 0) != static_cast<ssize_t>(sizeof abRandom)) {
        return errno != 0 ? errno : EIO;
    }
    strSuffix.clear();
    for (unsigned char b : abRandom) {
        strSuffix += FILE_TEMP_CHARS[b % (sizeof FILE_TEMP_CHARS - 1)];
    }
    return 0;
}

bool IsSameFile(const struct stat& stA, const struct stat& stB) {
    return stA.st_dev == stB.st_dev && stA.st_ino == stB.st_ino;
}

// The name still leads to the open file (a sweep did not remove it meanwhile).
bool IsStillNamed(int fd, const std::string& strPath) {
    struct stat stOpen {};
    struct stat stNamed {};
    return ::fstat(fd, &stOpen) == 0 && ::lstat(strPath.c_str(), &stNamed) == 0 &&
           IsSameFile(stOpen, stNamed);
}

// Opens a new temporary file beside strTarget, locked for as long as it is
// open; its name goes to strTemp.
int CreateTemp(const std::string& strTarget, mode_t mode, std::string& strTemp, int& fd) {
    for (int nTry = 0; nTry < FILE_TEMP_TRIES; ++nTry) {
        std::string strSuffix;
        if (int nErr = RandomSuffix(strSuffix); nErr != 0) {
            return nErr;
        }
        strTemp = strTarget + FILE_TEMP_MARK + strSuffix;
        fd = ::open(strTemp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd < 0) {
            if (errno != EEXIST) {
                return errno;
            }
            continue;
        }
        // A sweep that came between the creation and the lock took the file
        // for a dead writer's and removed it: then the next name. Where the
        // file system has no such locks, no sweep removes the file either.
        int nLock;
        while ((nLock = ::flock(fd, LOCK_EX)) != 0 && errno == EINTR) {
        }
        if (nLock != 0 || IsStillNamed(fd, strTemp)) {
            return 0;
        }
        ::close(fd);
        fd = -1;
    }
    return EEXIST;
}

// Writes, flushes and closes the temporary file, then names it strTarget:
// replacing what is there, or only where nothing is (bNoReplace).
int FinishTemp(int fd, const std::string& strTemp, const std::string& strTarget,
               std::string_view strData, bool bNoReplace) {
    int nErr = WriteAll(fd, strData);
    if (nErr == 0 && ::fsync(fd) != 0) {
        nErr = errno;
    }
    // Still open, so still locked: no sweep can take it before it has its name.
    if (nErr == 0 && !bNoReplace && ::rename(strTemp.c_str(), strTarget.c_str()) != 0) {
        nErr = errno;
    }
    if (nErr == 0 && bNoReplace &&
        ::renameat2(AT_FDCWD, strTemp.c_str(), AT_FDCWD, strTarget.c_str(), RENAME_NOREPLACE) !=
            0) {
        nErr = errno;
        if (nErr == EINVAL || nErr == ENOSYS || nErr == EOPNOTSUPP) {
            // A file system without it: a hard link fails as well where a name exists.
            nErr = ::link(strTemp.c_str(), strTarget.c_str()) == 0 ? 0 : errno;
            if (nErr == 0) {
                ::unlink(strTemp.c_str());
            }
        }
    }
    // After a successful flush the data is safe whatever close says.
    ::close(fd);
    if (nErr != 0) {
        ::unlink(strTemp.c_str());
    }
    return nErr;
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
    if (bOld) {
        // Another owner is kept where we may give the file away; the mode always.
        if (::fchown(fd, stOld.st_uid, stOld.st_gid) != 0) {
            // the new file stays ours
        }
        if (::fchmod(fd, stOld.st_mode & 07777) != 0) {
            int nErr = errno;
            ::close(fd);
            ::unlink(strTemp.c_str());
            return Fail(nErr, strError);
        }
    }
    if (int nErr = FinishTemp(fd, strTemp, strTarget, strData, false); nErr != 0) {
        return Fail(nErr, strError);
    }
    SyncDir(strTarget);
    return 0;
}

int WriteNewFileAtomic(const std::string& strPath, std::string_view strData, mode_t modeNew,
                       std::string& strError) {
    strError.clear();
    struct stat st {};
    if (::lstat(strPath.c_str(), &st) == 0) {
        return Fail(EEXIST, strError);
    }
    std::string strTemp;
    int fd = -1;
    if (int nErr = CreateTemp(strPath, modeNew, strTemp, fd); nErr != 0) {
        return Fail(nErr, strError);
    }
    if (int nErr = FinishTemp(fd, strTemp, strPath, strData, true); nErr != 0) {
        return Fail(nErr, strError);
    }
    SyncDir(strPath);
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

int ResolveWriteTarget(const std::string& strPath, std::string& strTarget) {
    bool bExists = false;
    struct stat st {};
    return ResolveLinks(strPath, strTarget, bExists, st);
}

int RemoveAbandonedTempFiles(const std::string& strPath) {
    std::string strTarget;
    if (ResolveWriteTarget(strPath, strTarget) != 0) {
        strTarget = strPath; // nothing was ever written through that link
    }
    const std::string strDir = DirPart(strTarget);
    const std::string strPrefix = NamePart(strTarget) + FILE_TEMP_MARK;
    int fdDir = ::open(strDir.empty() ? "." : strDir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fdDir < 0) {
        return 0;
    }
    int fdList = ::dup(fdDir);
    DIR* pDir = fdList >= 0 ? ::fdopendir(fdList) : nullptr;
    if (pDir == nullptr) {
        if (fdList >= 0) {
            ::close(fdList);
        }
        ::close(fdDir);
        return 0;
    }
    int nRemoved = 0;
    while (const dirent* pEntry = ::readdir(pDir)) {
        std::string strName = pEntry->d_name;
        if (strName.size() != strPrefix.size() + FILE_TEMP_RANDOM ||
            strName.compare(0, strPrefix.size(), strPrefix) != 0 ||
            strName.find_first_not_of(FILE_TEMP_CHARS, strPrefix.size()) != std::string::npos) {
            continue;
        }
        int fd = ::openat(fdDir, strName.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            continue;
        }
        struct stat stOpen {};
        struct stat stNamed {};
        // Locked: its writer still runs. Taken: ours now, and it is removed
        // under the lock, unless the name meanwhile leads elsewhere.
        if (::fstat(fd, &stOpen) == 0 && S_ISREG(stOpen.st_mode) &&
            (stOpen.st_uid == ::geteuid() || ::geteuid() == 0) &&
            ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
            ::fstatat(fdDir, strName.c_str(), &stNamed, AT_SYMLINK_NOFOLLOW) == 0 &&
            IsSameFile(stOpen, stNamed) && ::unlinkat(fdDir, strName.c_str(), 0) == 0) {
            ++nRemoved;
        }
        ::close(fd);
    }
    ::closedir(pDir);
    ::close(fdDir);
    return nRemoved;
}
