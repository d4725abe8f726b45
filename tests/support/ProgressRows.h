#pragma once
// The rows of the batch's progress window as the operator reads them.
#include "ops/DownloadProgressDlg.h"
#include "platform/Cp932.h"

#include <string>
#include <vector>

using ProgressRows = std::vector<std::vector<std::string>>;

// Each cell in UTF-8 (the list holds CP932).
inline ProgressRows ShownProgressRows(const CDialogModel& dlg) {
    ProgressRows rows;
    for (const auto& vecCells : dlg.GetRows(IDC_PROGRESS_LIST)) {
        std::vector<std::string> vec;
        for (const std::string& strCell : vecCells) {
            vec.push_back(Cp932ToUtf8Lossy(strCell));
        }
        rows.push_back(vec);
    }
    return rows;
}
