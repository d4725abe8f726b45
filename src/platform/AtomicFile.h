#pragma once
#include <string>
#include <string_view>
#include <sys/types.h>

// Replaces the file at strPath with strData so that a reader sees either the
// whole old file or the whole new one: a temporary file is created beside the
// target (exclusively, never through a link), written, flushed, renamed over the
// target, and the directory is synced. A link at strPath is kept and the file it
// names is written (a dangling one gets its file created). An existing file keeps
// its permissions and, where allowed, its owner; a new file gets modeNew less the
// umask. A file without any write permission is not replaced, even for root.
//
// 0 when written; otherwise the errno of the failure, with its text in strError.
// After a failure the old file is unchanged and no temporary file is left.
int WriteFileAtomic(const std::string& strPath, std::string_view strData, mode_t modeNew,
                    std::string& strError);

// Creates a new file holding strData with exactly the permissions mode (for
// files that others must not read, such as scripts with an account in them).
// Fails with EEXIST when anything is at strPath already, a link included, even a
// dangling one. 0 when written; otherwise the errno, its text in strError, and no
// file is left at strPath.
int CreateExclusiveFile(const std::string& strPath, std::string_view strData, mode_t mode,
                        std::string& strError);
