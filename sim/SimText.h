#pragma once
// Text helpers of the simulator.
#include <string>
#include <vector>

// The lines of a text, LF or CR LF ended, without their line ends. A last line
// without an end counts; the empty rest after a final line end does not.
inline std::vector<std::string> SimSplitLines(const std::string& strText) {
    std::vector<std::string> vecLines;
    size_t nPos = 0;
    while (nPos < strText.size()) {
        size_t nEnd = strText.find('\n', nPos);
        if (nEnd == std::string::npos) {
            nEnd = strText.size();
        }
        std::string strLine = strText.substr(nPos, nEnd - nPos);
        if (!strLine.empty() && strLine.back() == '\r') {
            strLine.pop_back();
        }
        vecLines.push_back(std::move(strLine));
        nPos = nEnd + 1;
    }
    return vecLines;
}
