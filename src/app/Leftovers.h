#pragma once
// What killed runs of the manager or of mrvctl left behind, removed at the
// next start of either: the temporary files of saves that never ended (beside
// the data file and the INI file) and the FTP client's private working
// folders of processes that are gone. Nothing a live run uses is touched.
#include <string>
#include <vector>

// Where the FTP runs make their private working folders ("<TMPDIR or /tmp>/
// mrvmgr-ftp-<pid>-XXXXXX").
std::string GetFtpWorkParent();

// vecSavedFiles: the files whose saves may have been cut short.
void RemoveLeftoversOfDeadRuns(const std::vector<std::string>& vecSavedFiles);
