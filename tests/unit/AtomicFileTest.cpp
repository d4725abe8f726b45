#include "platform/AtomicFile.h"
#include "ScratchDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {
class AtomicFile : public ::testing::Test {
protected:
    AtomicFile() : m_modeOldMask(::umask(022)) {}
    ~AtomicFile() override { ::umask(m_modeOldMask); }

    std::string Path() const { return m_dir.File("data.txt"); }
    static mode_t ModeOf(const std::string& strPath) {
        struct stat st {};
        EXPECT_EQ(::lstat(strPath.c_str(), &st), 0) << strPath;
        return st.st_mode & 07777;
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> vec;
        for (const auto& entry : fs::directory_iterator(m_dir.Dir())) {
            vec.push_back(entry.path().filename().string());
        }
        std::sort(vec.begin(), vec.end());
        return vec;
    }
    // Runs fn with files limited to nBytes, so that writing more fails, root or not.
    template <class Fn> static int WithSizeLimit(rlim_t nBytes, Fn fn) {
        rlimit limOld{};
        EXPECT_EQ(::getrlimit(RLIMIT_FSIZE, &limOld), 0);
        auto fnOldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limSmall = limOld;
        limSmall.rlim_cur = nBytes;
        EXPECT_EQ(::setrlimit(RLIMIT_FSIZE, &limSmall), 0);
        int nResult = fn();
        ::setrlimit(RLIMIT_FSIZE, &limOld);
        std::signal(SIGXFSZ, fnOldHandler);
        return nResult;
    }

    CScratchDir m_dir;
    mode_t m_modeOldMask;
    std::string m_strError;
};
} // namespace

// --- replacing a file ---

TEST_F(AtomicFile, NewFileGetsTheGivenModeLessTheUmask) {
    EXPECT_EQ(WriteFileAtomic(Path(), "one\r\n", 0666, m_strError), 0);
    EXPECT_EQ(m_strError, "");
    EXPECT_EQ(CScratchDir::Read(Path()), "one\r\n");
    EXPECT_EQ(ModeOf(Path()), 0644u);

    const std::string strSecret = m_dir.File("secret");
    EXPECT_EQ(WriteFileAtomic(strSecret, "", 0600, m_strError), 0);
    EXPECT_TRUE(CScratchDir::Exists(strSecret));
    EXPECT_EQ(CScratchDir::Read(strSecret), "");
    EXPECT_EQ(ModeOf(strSecret), 0600u);
    EXPECT_EQ(Names(), (std::vector<std::string>{"data.txt", "secret"}));
}

TEST_F(AtomicFile, ReplacedFileKeepsItsPermissionsAndLeavesNothingElse) {
    for (mode_t mode : {0640u, 0604u, 0660u, 0755u}) {
        CScratchDir::Write(Path(), "old contents that are longer than the new");
        ASSERT_EQ(::chmod(Path().c_str(), mode), 0);
        EXPECT_EQ(WriteFileAtomic(Path(), std::string("new\0bytes", 9), 0666, m_strError), 0)
            << m_strError;
        EXPECT_EQ(CScratchDir::Read(Path()), std::string("new\0bytes", 9));
        EXPECT_EQ(ModeOf(Path()), mode);
        EXPECT_EQ(Names(), std::vector<std::string>{"data.txt"});
    }
}

TEST_F(AtomicFile, ALinkIsKeptAndTheFileItNamesIsWritten) {
    // A relative link, and a link to that link.
    CScratchDir::Write(m_dir.File("real.txt"), "old");
    ASSERT_EQ(::chmod(m_dir.File("real.txt").c_str(), 0640), 0);
    ASSERT_EQ(::symlink("real.txt", Path().c_str()), 0);
    ASSERT_EQ(::symlink(Path().c_str(), m_dir.File("outer").c_str()), 0);
    EXPECT_EQ(WriteFileAtomic(m_dir.File("outer"), "via two links", 0666, m_strError), 0);
    EXPECT_TRUE(fs::is_symlink(m_dir.File("outer")));
    EXPECT_TRUE(fs::is_symlink(Path()));
    EXPECT_EQ(fs::read_symlink(Path()), "real.txt");
    EXPECT_EQ(CScratchDir::Read(m_dir.File("real.txt")), "via two links");
    EXPECT_EQ(ModeOf(m_dir.File("real.txt")), 0640u);
    EXPECT_EQ(Names(), (std::vector<std::string>{"data.txt", "outer", "real.txt"}));

    // A link into another folder: the temporary file is made there, beside the file.
    fs::create_directory(m_dir.File("sub"));
    ASSERT_EQ(::symlink("sub/inner.txt", m_dir.File("dangling").c_str()), 0);
    EXPECT_EQ(WriteFileAtomic(m_dir.File("dangling"), "created", 0666, m_strError), 0);
    EXPECT_TRUE(fs::is_symlink(m_dir.File("dangling")));
    EXPECT_EQ(CScratchDir::Read(m_dir.File("sub/inner.txt")), "created");
    EXPECT_EQ(std::distance(fs::directory_iterator(m_dir.File("sub")), fs::directory_iterator()),
              1);
}

TEST_F(AtomicFile, AFifoInTheWayIsReplacedButADeviceIsNot) {
    ASSERT_EQ(::mkfifo(Path().c_str(), 0600), 0);
    EXPECT_EQ(WriteFileAtomic(Path(), "plain", 0666, m_strError), 0);
    EXPECT_TRUE(fs::is_regular_file(Path()));
    EXPECT_EQ(CScratchDir::Read(Path()), "plain");

    // A device node of our own (null), so that nothing outside the test is at stake.
    const std::string strDevice = m_dir.File("null");
    if (::mknod(strDevice.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0) {
        GTEST_SKIP() << "no device nodes here";
    }
    ASSERT_EQ(::symlink(strDevice.c_str(), m_dir.File("link").c_str()), 0);
    EXPECT_EQ(WriteFileAtomic(m_dir.File("link"), "x", 0666, m_strError), EINVAL);
    EXPECT_EQ(m_strError, "Invalid argument");
    EXPECT_TRUE(fs::is_character_file(strDevice));
    EXPECT_EQ(Names(), (std::vector<std::string>{"data.txt", "link", "null"}));
}

TEST_F(AtomicFile, ALinkAnotherUserPutIntoASharedFolderIsNotFollowed) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "a link of another user needs root";
    }
    // Like /tmp: sticky and writable by all, owned by root (us).
    const std::string strShared = m_dir.File("shared");
    ASSERT_EQ(::mkdir(strShared.c_str(), 0777), 0);
    ASSERT_EQ(::chmod(strShared.c_str(), 01777), 0);
    const std::string strTarget = m_dir.File("target.txt");
    const std::string strLink = strShared + "/data.txt";
    ASSERT_EQ(::symlink(strTarget.c_str(), strLink.c_str()), 0);
    struct SCase {
        uid_t uidLink;
        uid_t uidFolder;
        mode_t modeFolder;
        bool bFollowed;
    };
    for (const SCase& c :
         {SCase{4242, 0, 01777, false}, SCase{0, 0, 01777, true}, SCase{4242, 4242, 01777, true},
          SCase{4242, 0, 0777, true}, SCase{4242, 0, 01775, true}}) {
        ::unlink(strTarget.c_str());
        ASSERT_EQ(::lchown(strLink.c_str(), c.uidLink, c.uidLink), 0);
        ASSERT_EQ(::chown(strShared.c_str(), c.uidFolder, c.uidFolder), 0);
        ASSERT_EQ(::chmod(strShared.c_str(), c.modeFolder), 0);
        int nErr = WriteFileAtomic(strLink, "saved", 0666, m_strError);
        EXPECT_EQ(nErr, c.bFollowed ? 0 : FILE_ERR_UNSAFE_LINK) << c.uidLink << " " << c.modeFolder;
        EXPECT_EQ(CScratchDir::Exists(strTarget), c.bFollowed) << c.uidLink << " " << c.modeFolder;
        EXPECT_TRUE(fs::is_symlink(strLink));
    }
    ASSERT_EQ(::chmod(strShared.c_str(), 01777), 0);
    EXPECT_EQ(WriteFileAtomic(strLink, "saved", 0666, m_strError), FILE_ERR_UNSAFE_LINK);
    EXPECT_EQ(m_strError, "a link another user put into a shared folder is not followed");
}

TEST_F(AtomicFile, ANewFileIsWrittenOnlyWhereNothingIs) {
    EXPECT_EQ(WriteNewFileAtomic(Path(), "first", 0666, m_strError), 0);
    EXPECT_EQ(CScratchDir::Read(Path()), "first");
    EXPECT_EQ(ModeOf(Path()), 0644u);
    EXPECT_EQ(WriteNewFileAtomic(Path(), "second", 0666, m_strError), EEXIST);
    EXPECT_EQ(CScratchDir::Read(Path()), "first");
    // Not through a link either, not even one naming nothing yet.
    ASSERT_EQ(::symlink(m_dir.File("target").c_str(), m_dir.File("link").c_str()), 0);
    EXPECT_EQ(WriteNewFileAtomic(m_dir.File("link"), "x", 0666, m_strError), EEXIST);
    EXPECT_FALSE(CScratchDir::Exists(m_dir.File("target")));
    EXPECT_EQ(Names(), (std::vector<std::string>{"data.txt", "link"}));
}

TEST_F(AtomicFile, AbandonedTemporaryFilesGoButAWritersOwnStays) {
    // Left by writers that were killed; one being written (locked by its writer).
    CScratchDir::Write(m_dir.File("data.txt.tmp-k1ll3d"), "half");
    CScratchDir::Write(m_dir.File("data.txt.tmp-w0rk1n"), "busy");
    int fdBusy = ::open(m_dir.File("data.txt.tmp-w0rk1n").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fdBusy, 0);
    ASSERT_EQ(::flock(fdBusy, LOCK_EX), 0);
    // Not theirs: another file's, another shape of name, a link.
    CScratchDir::Write(m_dir.File("other.txt.tmp-k1ll3d"), "x");
    CScratchDir::Write(m_dir.File("data.txt.tmp-toolong1"), "x");
    CScratchDir::Write(m_dir.File("data.txt.tmp-UPPER1"), "x");
    ASSERT_EQ(::symlink(m_dir.File("other.txt.tmp-k1ll3d").c_str(),
                        m_dir.File("data.txt.tmp-l1nk00").c_str()),
              0);
    EXPECT_EQ(RemoveAbandonedTempFiles(Path()), 1);
    ::close(fdBusy);
    EXPECT_EQ(Names(), (std::vector<std::string>{"data.txt.tmp-UPPER1", "data.txt.tmp-l1nk00",
                                                 "data.txt.tmp-toolong1", "data.txt.tmp-w0rk1n",
                                                 "other.txt.tmp-k1ll3d"}));
    // Its writer gone, it goes too; through a link to the file, the file's folder is looked at.
    ASSERT_EQ(::symlink(Path().c_str(), m_dir.File("alias").c_str()), 0);
    EXPECT_EQ(RemoveAbandonedTempFiles(m_dir.File("alias")), 1);
    EXPECT_FALSE(CScratchDir::Exists(m_dir.File("data.txt.tmp-w0rk1n")));
}

// --- failures: the old file stays whole, no temporary file is left ---

TEST_F(AtomicFile, AWriteBrokenOffLeavesTheOldFileWhole) {
    CScratchDir::Write(Path(), "old");
    int nErr = WithSizeLimit(
        100, [&] { return WriteFileAtomic(Path(), std::string(4000, 'x'), 0666, m_strError); });
    EXPECT_EQ(nErr, EFBIG);
    EXPECT_EQ(m_strError, "File too large");
    EXPECT_EQ(CScratchDir::Read(Path()), "old");
    EXPECT_EQ(Names(), std::vector<std::string>{"data.txt"});
}

TEST_F(AtomicFile, FailuresAreReportedWithTheirErrorText) {
    // The folder does not exist.
    EXPECT_EQ(WriteFileAtomic(m_dir.File("no/such/x.txt"), "x", 0666, m_strError), ENOENT);
    EXPECT_EQ(m_strError, "No such file or directory");

    // A folder at the path is left alone.
    fs::create_directory(Path());
    EXPECT_EQ(WriteFileAtomic(Path(), "x", 0666, m_strError), EISDIR);
    EXPECT_EQ(m_strError, "Is a directory");
    EXPECT_TRUE(fs::is_directory(Path()));
    fs::remove(Path());

    // A file without any write permission is not replaced, even by root.
    CScratchDir::Write(Path(), "old");
    ASSERT_EQ(::chmod(Path().c_str(), 0444), 0);
    EXPECT_EQ(WriteFileAtomic(Path(), "new", 0666, m_strError), EROFS);
    EXPECT_EQ(m_strError, "Read-only file system");
    EXPECT_EQ(CScratchDir::Read(Path()), "old");
    EXPECT_EQ(ModeOf(Path()), 0444u);

    // No temporary name fits beside a file whose own name is at the limit.
    const std::string strLong = m_dir.File(std::string(250, 'n'));
    CScratchDir::Write(strLong, "old");
    EXPECT_EQ(WriteFileAtomic(strLong, "new", 0666, m_strError), ENAMETOOLONG);
    EXPECT_EQ(m_strError, "File name too long");
    EXPECT_EQ(CScratchDir::Read(strLong), "old");

    // Links that go round in a circle.
    ASSERT_EQ(::symlink("loop-b", m_dir.File("loop-a").c_str()), 0);
    ASSERT_EQ(::symlink("loop-a", m_dir.File("loop-b").c_str()), 0);
    EXPECT_EQ(WriteFileAtomic(m_dir.File("loop-a"), "x", 0666, m_strError), ELOOP);
    EXPECT_EQ(m_strError, "Too many levels of symbolic links");

    EXPECT_EQ(Names(),
              (std::vector<std::string>{"data.txt", "loop-a", "loop-b", std::string(250, 'n')}));
}

// --- creating a new file exclusively ---

TEST_F(AtomicFile, ExclusiveFileGetsExactlyTheModeAsked) {
    ::umask(0);
    const std::string strScript = m_dir.File("script");
    EXPECT_EQ(CreateExclusiveFile(strScript, "user a b\nbye\n", 0600, m_strError), 0);
    EXPECT_EQ(m_strError, "");
    EXPECT_EQ(CScratchDir::Read(strScript), "user a b\nbye\n");
    EXPECT_EQ(ModeOf(strScript), 0600u);

    ::umask(0277); // would take the owner's write permission away
    EXPECT_EQ(CreateExclusiveFile(m_dir.File("second"), "x", 0600, m_strError), 0);
    EXPECT_EQ(ModeOf(m_dir.File("second")), 0600u);
}

TEST_F(AtomicFile, ExclusiveFileRefusesAnythingAlreadyThere) {
    CScratchDir::Write(Path(), "mine");
    EXPECT_EQ(CreateExclusiveFile(Path(), "theirs", 0600, m_strError), EEXIST);
    EXPECT_EQ(m_strError, "File exists");
    EXPECT_EQ(CScratchDir::Read(Path()), "mine");

    // A link, even one naming nothing, is never written through.
    ASSERT_EQ(::symlink("target", m_dir.File("dangling").c_str()), 0);
    EXPECT_EQ(CreateExclusiveFile(m_dir.File("dangling"), "x", 0600, m_strError), EEXIST);
    EXPECT_FALSE(CScratchDir::Exists(m_dir.File("target")));
    ASSERT_EQ(::symlink(Path().c_str(), m_dir.File("link").c_str()), 0);
    EXPECT_EQ(CreateExclusiveFile(m_dir.File("link"), "x", 0600, m_strError), EEXIST);
    EXPECT_EQ(CScratchDir::Read(Path()), "mine");
    EXPECT_EQ(Names(), (std::vector<std::string>{"dangling", "data.txt", "link"}));
}

TEST_F(AtomicFile, ExclusiveFileBrokenOffIsRemoved) {
    int nErr = WithSizeLimit(
        100, [&] { return CreateExclusiveFile(Path(), std::string(4000, 'x'), 0600, m_strError); });
    EXPECT_EQ(nErr, EFBIG);
    EXPECT_EQ(m_strError, "File too large");
    EXPECT_EQ(Names(), std::vector<std::string>{});
}
