// The data file as the document loads it at start and saves it at the end.
// Oracles: a file that loads saves into bytes that load into the same registry
// and save again byte for byte, and a file written by the writer saves back as
// it was; a refused file is said, leaves an empty registry and stays whole
// (kept aside under a name of its own) while the end's save writes a new one,
// or, for mrvctl, stays where it is unchanged and unwritten; no save leaves a
// temporary file; nothing outside the scratch folder changes.
#include "FuzzDoc.h"
#include "FuzzSupport.h"
#include "res/Texts.h"

#include <cstddef>
#include <cstdint>

namespace {
const char DATA_NAME[] = "mrvmgr.dat";

std::string SaveOf(const SFuzzDoc& doc, const std::string& strPath) {
    FUZZ_CHECK(doc.pDoc->SaveDocument() == 0, "a save into the scratch folder failed");
    return ReadWholeFile(strPath);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
    CFuzzScratch& scratch = CFuzzScratch::Get();
    scratch.Clear({"home", "run", "tmp"});
    const std::string strPath = scratch.File(DATA_NAME);
    const std::string strInput(reinterpret_cast<const char*>(pData), nSize);
    WriteWholeFile(strPath, strInput);

    std::string strSaved;
    SRegistrySnapshot snapLoaded;
    bool bLoaded = false;
    {
        SFuzzDoc doc(strPath);
        const auto& vecMessages = doc.ui.GetMessages();
        bLoaded = vecMessages.empty();
        snapLoaded = SnapshotRegistry(*doc.pDoc);
        if (bLoaded) {
            FUZZ_CHECK(ReadWholeFile(strPath) == strInput, "the load changed the file");
            strSaved = SaveOf(doc, strPath);
        } else {
            FUZZ_CHECK(vecMessages.size() == 1 &&
                           vecMessages[0].strText.rfind(TXT_DOC_BAD_FORMAT, 0) == 0,
                       "a refused file is said once as a bad format: " +
                           (vecMessages.empty() ? std::string() : vecMessages[0].strText));
            FUZZ_CHECK(snapLoaded == SRegistrySnapshot(), "a refused file left a registry behind");
            // Kept aside whole, under a name that is not the data file's.
            std::vector<std::string> vecNames = scratch.List();
            int nAside = 0;
            for (const std::string& strName : vecNames) {
                if (strName.rfind(std::string(DATA_NAME) + ".bad-", 0) == 0) {
                    ++nAside;
                    FUZZ_CHECK(ReadWholeFile(scratch.File(strName)) == strInput,
                               "the file kept aside is not the refused file");
                }
            }
            FUZZ_CHECK(nAside == 1, "a refused file was not kept aside once");
        }
    } // the end's save

    if (!bLoaded) {
        // mrvctl's way: said, left where it is and as it is, never written.
        scratch.Clear({"home", "run", "tmp"});
        WriteWholeFile(strPath, strInput);
        {
            SFuzzDoc script(strPath, false);
            FUZZ_CHECK(script.ui.GetMessages().size() == 1 && script.pDoc->IsDataFileUnreadable(),
                       "mrvctl did not say that the data file is unreadable");
        }
        FUZZ_CHECK(ReadWholeFile(strPath) == strInput && scratch.List().size() == 4,
                   "mrvctl changed or moved an unreadable data file");
    } else {
        FUZZ_CHECK(ReadWholeFile(strPath) == strSaved, "the end's save differs from a save");
        SFuzzDoc again(strPath);
        FUZZ_CHECK(again.ui.GetMessages().empty(),
                   "a saved file does not load: " + Shown(strSaved));
        FUZZ_CHECK(SnapshotRegistry(*again.pDoc) == snapLoaded,
                   "a saved file loads into another registry");
        FUZZ_CHECK(SaveOf(again, strPath) == strSaved, "a saved file saves into other bytes");
        again.pDoc->SetSaveOnClose(false);
    }
    // Only the data file (and the refused one kept aside) remain: no temporary file.
    for (const std::string& strName : scratch.List()) {
        FUZZ_CHECK(strName == DATA_NAME ||
                       strName.rfind(std::string(DATA_NAME) + ".bad-", 0) == 0 ||
                       strName == "home" || strName == "run" || strName == "tmp",
                   "a file was left behind: " + strName);
    }
    scratch.CheckOutsideUnchanged();
    return 0;
}
