#include "app/Leftovers.h"

#include "doc/FtpRun.h"
#include "platform/AtomicFile.h"
#include "platform/DeadRunDirs.h"

#include <cstdlib>

std::string GetFtpWorkParent() {
    const char* pszTmp = std::getenv("TMPDIR");
    return (pszTmp != nullptr && pszTmp[0] == '/') ? pszTmp : "/tmp";
}

void RemoveLeftoversOfDeadRuns(const std::vector<std::string>& vecSavedFiles) {
    for (const std::string& strPath : vecSavedFiles) {
        if (!strPath.empty()) {
            RemoveAbandonedTempFiles(strPath);
        }
    }
    RemoveDeadProcessDirs(GetFtpWorkParent(), FTP_WORK_DIR_PREFIX);
}
