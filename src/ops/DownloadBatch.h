#pragma once
#include <string>

class COrvixDoc;
class CDownloadProgressDlg;

// Kind flags of a batch.
inline constexpr int BATCH_APPLICATION = 0;
inline constexpr int BATCH_KERNEL = 1;

// The current network's node addresses ("%d.%d.%d.%d"), in list order,
// joined by commas.
std::string RegisteredAddressText(COrvixDoc& doc);
// The question before a batch: one line per target, an empty line, and the
// sentence naming the file without its folder.
std::string BatchConfirmText(const std::string& strTargets, const std::string& strPath);
// Overwrites the entry equal to strAddress with '*' (the commas stay);
// nothing when no entry is exactly that text.
void MarkTargetDone(std::string& strTargets, const std::string& strAddress);

// The batch itself: every row of the progress window in turn, passes again
// over the failed ones for as long as the operator asks for a retry. The
// target list's finished entries are marked done. A stop ends it before the
// next row, or before the transfer of the row in hand (its node back in
// operation); the rows not carried out stay "未実施" and no retry is offered.
void DownloadBatch(COrvixDoc& doc, CDownloadProgressDlg& progress, const std::string& strPath,
                   std::string& strTargets, int nKindFlag);
// The command: the targets, the file, the confirmation, then the batch with
// the main window disabled.
void DownloadToChosenNodes(COrvixDoc& doc, CDownloadProgressDlg& progress, int nKindFlag);
