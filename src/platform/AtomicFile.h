#pragma once
#include <string>
#include <string_view>
#include <sys/types.h>

// A write refused because it would follow a symbolic link that the kernel's
// rule for shared sticky folders (protected_symlinks) does not follow: a link
// in a sticky, world-writable folder whose owner is neither the writer nor the
// folder's owner. Returned instead of an errno; never an errno value itself.
inline constexpr int FILE_ERR_UNSAFE_LINK = 0x10000;

// Replaces the file at strPath with strData so that a reader sees either the
// whole old file or the whole new one: a temporary file is created beside the
// target (exclusively, never through a link), written, flushed, renamed over the
// target, and the directory is synced. A link at strPath is kept and the file it
// names is written (a dangling one gets its file created), unless the kernel
// would refuse to follow it (FILE_ERR_UNSAFE_LINK). An existing file keeps its
// permissions and, where allowed, its owner; a new file gets modeNew less the
// umask. A file without any write permission is not replaced, even for root.
//
// The temporary file ("<target>.tmp-XXXXXX") is locked by its writer until it
// is renamed, so that RemoveAbandonedTempFiles can tell one of a killed writer
// from one being written.
//
// 0 when written; otherwise the errno of the failure (or FILE_ERR_UNSAFE_LINK),
// with its text in strError. After a failure the old file is unchanged and no
// temporary file is left.
int WriteFileAtomic(const std::string& strPath, std::string_view strData, mode_t modeNew,
                    std::string& strError);

// Like WriteFileAtomic, but only where nothing is at strPath yet (not even a
// dangling link): the new file appears whole or not at all. EEXIST otherwise.
int WriteNewFileAtomic(const std::string& strPath, std::string_view strData, mode_t modeNew,
                       std::string& strError);

// Creates a new file holding strData with exactly the permissions mode (for
// files that others must not read, such as scripts with an account in them).
// Fails with EEXIST when anything is at strPath already, a link included, even a
// dangling one. 0 when written; otherwise the errno, its text in strError, and no
// file is left at strPath.
int CreateExclusiveFile(const std::string& strPath, std::string_view strData, mode_t mode,
                        std::string& strError);

// The file a write to strPath replaces: links at its last component followed
// as WriteFileAtomic follows them. 0, or the errno (FILE_ERR_UNSAFE_LINK).
int ResolveWriteTarget(const std::string& strPath, std::string& strTarget);

// Removes the temporary files that writers of strPath (as WriteFileAtomic
// resolves it) left when they were killed: ours (any, for root), plain files,
// and not locked by a writer that still runs. Returns how many went.
int RemoveAbandonedTempFiles(const std::string& strPath);
