#include "app/DataFileOwner.h"

#include "platform/DataFileLock.h"
#include "res/Texts.h"
#include "ui/Ui.h"

namespace {
std::string Substitute(std::string strText, const std::string& strFirst,
                       const std::string& strSecond) {
    size_t nPos = strText.find("%1");
    if (nPos != std::string::npos) {
        strText.replace(nPos, 2, strFirst);
    }
    nPos = strText.find("%2");
    if (nPos != std::string::npos) {
        strText.replace(nPos, 2, strSecond);
    }
    return strText;
}
} // namespace

bool TakeDataFileForRun(CDataFileLock& lock, const std::string& strDataPath, CUi& ui,
                        uint32_t dwWaitMs) {
    for (;;) {
        if (lock.Acquire(EDataLock::Exclusive, dwWaitMs, {}) != EDataLockResult::Busy) {
            return true; // held, or no lock to be had where nobody can write the file
        }
        SDataLockHolder holder = CDataFileLock::FindHolder(strDataPath);
        std::string strHolder =
            holder.pid > 0 ? (holder.strProgram.empty() ? std::string("?") : holder.strProgram) +
                                 " (pid " + std::to_string(holder.pid) + ")"
                           : std::string(TXT_DATA_FILE_HOLDER_UNKNOWN);
        if (ui.ShowMessage(Substitute(TXT_DATA_FILE_HELD, strDataPath, strHolder),
                           EMsgButtons::RetryCancel, EMsgIcon::Warning) != EMsgAnswer::Retry) {
            return false;
        }
    }
}
