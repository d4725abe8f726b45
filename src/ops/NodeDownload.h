#pragma once
#include <cstdint>
#include <string>

struct SFileChoice;

class COrvixDoc;

// Download kinds: the mode the node is switched to for the download.
inline constexpr int DOWNLOAD_KERNEL = 6;
inline constexpr int DOWNLOAD_APPLICATION = 7;

// Results of a download to one node; 1 to 4, 8, 9 and 11 are FTPRUN_* passed through.
inline constexpr int DLRESULT_ABNORMAL = 5;    // an abnormal reply (already reported)
inline constexpr int DLRESULT_NO_RESPONSE = 6; // no reply within the time-out
inline constexpr int DLRESULT_CANCELLED = 7;   // the file choice was cancelled
inline constexpr int DLRESULT_BAD_IMAGE = 10;  // the chosen image was refused (shown)
inline constexpr int DLRESULT_STOPPED = 12;    // a stop was asked for before the transfer

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

// After a failure with the node in its download mode: back to operation
// (mode 0) as after a transfer. True when the node answered.
bool ReturnToOperation(COrvixDoc& doc, int nIndex);

// The file-open choice of a download: ".mot" files first.
SFileChoice DownloadFileChoice();

// Whether another node of the current network has the address of node nIndex.
bool SharesAddress(COrvixDoc& doc, int nIndex);

// One download to node nIndex of the current network (kind DOWNLOAD_*);
// a result above. After a failure once the node is in its download mode it
// is sent back to operation; *pbLeftInMode tells whether it may still be in
// its download mode. A stop asked for before the transfer began ends it there
// (DLRESULT_STOPPED), the node back in operation; a transfer that began runs
// to its end. What became of it goes into the operation log.
int DownloadNode(COrvixDoc& doc, int nIndex, int nKind, bool* pbLeftInMode = nullptr);
// The command: busy scope, DownloadNode on the selected row, its message. A
// node whose address another node shares is refused before anything is sent.
// Returns DownloadNode's result (DLRESULT_BAD_IMAGE when nothing was tried).
int DownloadToSelectedNode(COrvixDoc& doc, int nSelected, int nKind);
// The note that the node may still be in its download mode nMode, and how
// to bring it back; bAlone: without the line break that joins it to a message.
std::string LeftInModeNote(int nMode, bool bAlone);
// The message of a download's result (strReply: the server's reply to the
// put); empty for the results that were said before or need no word.
std::string DownloadResultText(int nResult, const std::string& strReply);
// The message of a download's result, with the note that the node stays in
// its download mode nMode when bLeftInMode; none for results already reported.
void ShowDownloadResult(COrvixDoc& doc, int nResult, bool bLeftInMode = false,
                        int nMode = DOWNLOAD_APPLICATION);
