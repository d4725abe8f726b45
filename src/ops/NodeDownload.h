#pragma once
#include <cstdint>

struct SFileChoice;

class COrvixDoc;

// Download kinds: the mode the node is switched to for the download.
inline constexpr int DOWNLOAD_KERNEL = 6;
inline constexpr int DOWNLOAD_APPLICATION = 7;

// Results of a download to one node; 1 to 4, 8 and 9 are FTPRUN_* passed through.
inline constexpr int DLRESULT_ABNORMAL = 5;    // an abnormal reply (already reported)
inline constexpr int DLRESULT_NO_RESPONSE = 6; // no reply within the time-out
inline constexpr int DLRESULT_CANCELLED = 7;   // the file choice was cancelled
inline constexpr int DLRESULT_BAD_IMAGE = 10;  // the chosen image was refused (shown)

// The node's mode after a download.
inline constexpr int DOWNLOAD_MODE_NORMAL = 0;
// The node restarts into its download mode meanwhile.
inline constexpr uint32_t DOWNLOAD_RESTART_PAUSE_MS = 3000;
// Before the node is sent back to operation.
inline constexpr uint32_t DOWNLOAD_FINISH_PAUSE_MS = 700;

// The shared steps: 0, DLRESULT_ABNORMAL or DLRESULT_NO_RESPONSE.
// Fetches the node's FTP account into the endpoint, up to nAttempts requests.
int FetchFtpAccount(COrvixDoc& doc, int nIndex, int nAttempts);
// Switches the node's mode and waits for the reply.
int ChangeNodeMode(COrvixDoc& doc, int nIndex, int nMode);

// The file-open choice of a download: ".mot" files first.
SFileChoice DownloadFileChoice();

// One download to node nIndex of the current network (kind DOWNLOAD_*);
// a result above.
int DownloadNode(COrvixDoc& doc, int nIndex, int nKind);
// The command: busy scope, DownloadNode on the selected row, its message.
void DownloadToSelectedNode(COrvixDoc& doc, int nSelected, int nKind);
// The message of a download's result; none for those already reported.
void ShowDownloadResult(COrvixDoc& doc, int nResult);
