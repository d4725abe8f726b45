// The check of a chosen .mot file, on its text and on the file.
// Oracles: the verdict and the first bad line agree with a reference reading
// of the format (each non-empty line a record of a known type, hex digits in
// pairs, its count and checksum right; a data record carrying data; a
// termination record last); the file check says the same and names that line; an image
// the manager takes, the node's own reading (the simulated node's parser)
// takes too; a file of another extension is not read as an image; the check
// changes no file, nor anything outside the scratch folder.
#include "FuzzSupport.h"
#include "SRecord.h"
#include "ops/MotImage.h"

#include <cstdint>
#include <vector>

namespace {
int Hex(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

bool RecordIsWhole(const std::string& strLine, char& cType) {
    if (strLine.size() < 4 || strLine[0] != 'S' || (strLine.size() % 2) != 0) {
        return false;
    }
    cType = strLine[1];
    static const std::string s_strTypes = "012356789";
    static const size_t s_anAddress[] = {2, 2, 3, 4, 2, 3, 4, 3, 2};
    size_t nType = s_strTypes.find(cType);
    if (nType == std::string::npos) {
        return false;
    }
    std::vector<unsigned> vec;
    for (size_t i = 2; i < strLine.size(); i += 2) {
        int nHigh = Hex(strLine[i]);
        int nLow = Hex(strLine[i + 1]);
        if (nHigh < 0 || nLow < 0) {
            return false;
        }
        vec.push_back(static_cast<unsigned>(nHigh * 16 + nLow));
    }
    if (vec[0] + 1 != vec.size() || vec[0] < s_anAddress[nType] + 1) {
        return false;
    }
    unsigned nSum = 0;
    for (size_t i = 0; i + 1 < vec.size(); ++i) {
        nSum += vec[i];
    }
    return ((~nSum) & 0xFF) == vec.back();
}

// 0 for a whole image, else the first bad line (one past the last for a missing part).
size_t ReferenceBadLine(const std::string& strText) {
    size_t nLine = 0;
    bool bData = false;
    bool bEnded = false;
    size_t nStart = 0;
    while (nStart < strText.size()) {
        size_t nEnd = strText.find('\n', nStart);
        std::string strLine =
            strText.substr(nStart, nEnd == std::string::npos ? nEnd : nEnd - nStart);
        nStart = nEnd == std::string::npos ? strText.size() : nEnd + 1;
        ++nLine;
        if (!strLine.empty() && strLine.back() == '\r') {
            strLine.pop_back();
        }
        if (strLine.empty()) {
            continue;
        }
        char cType = 0;
        if (bEnded || !RecordIsWhole(strLine, cType)) {
            return nLine;
        }
        // Data: a record of type 1 to 3 longer than its count, address and checksum.
        const size_t nAddress = cType == '1' ? 2 : cType == '2' ? 3 : 4;
        bData = bData || (cType >= '1' && cType <= '3' && strLine.size() > 2 + 2 * (nAddress + 2));
        bEnded = cType >= '7' && cType <= '9';
    }
    return bData && bEnded ? 0 : nLine + 1;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
    const std::string strText(reinterpret_cast<const char*>(pData), nSize);
    size_t nBadLine = 0;
    const std::string strWhy = FindSRecordFault(strText, nBadLine);
    const size_t nReference = ReferenceBadLine(strText);
    FUZZ_CHECK(strWhy.empty() == (nReference == 0) && nBadLine == nReference,
               "the check says line " + std::to_string(nBadLine) + " (" + strWhy +
                   "), the format says line " + std::to_string(nReference));
    if (strWhy.empty()) {
        SSRecordImage image = SRecordParse(strText);
        FUZZ_CHECK(image.bValid, "the manager takes an image the node refuses: " + image.strError);
    }

    CFuzzScratch& scratch = CFuzzScratch::Get();
    const std::string strMot = scratch.File("image.MOT");
    const std::string strOther = scratch.File("image.bin");
    WriteWholeFile(strMot, strText);
    WriteWholeFile(strOther, strText);
    std::string strMessage;
    const bool bTaken = CheckDownloadFile(strMot, strMessage);
    FUZZ_CHECK(bTaken == strWhy.empty(), "the file check differs from the text check");
    FUZZ_CHECK(bTaken == strMessage.empty(), "a verdict without its message, or the reverse");
    if (!bTaken) {
        FUZZ_CHECK(strMessage.find(std::to_string(nBadLine)) != std::string::npos,
                   "the message does not name the bad line: " + strMessage);
    }
    FUZZ_CHECK(CheckDownloadFile(strOther, strMessage) && strMessage.empty(),
               "a file of another extension was read as an image");
    FUZZ_CHECK(ReadWholeFile(strMot) == strText && ReadWholeFile(strOther) == strText,
               "the check changed the file");
    scratch.CheckOutsideUnchanged();
    return 0;
}
