// mrvctl's command line: any words after the program's name (bytes that are
// no UTF-8 included), parsed, and run in this process when the command sends
// nothing (networks, nodes, defaults, help, a refused line) on a data file and
// default parameters in the scratch folder, the data file written by the
// writer or taken from the input.
// Oracles: the parse is the same every time and refuses exactly with a
// reason; the program ends with one of its statuses; under --json its output
// is exactly one JSON object (a strict reader's) that says that status; a
// listing leaves the data file as it was; nothing outside the scratch folder
// changes.
#include "FuzzDoc.h"
#include "FuzzSupport.h"
#include "StrictJson.h"
#include "cli/CtlArgs.h"
#include "cli/CtlCommands.h"
#include "cli/CtlMain.h"
#include "params/ParamFile.h"

#include <sanitizer/common_interface_defs.h>

#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <sstream>
#include <unistd.h>

namespace {
const char DATA_NAME[] = "mrvmgr.dat";
const char DEFAULTS_NAME[] = "DefParam.ini";
std::string g_strDataFile;     // as the writer writes a registry
std::string g_strDefaultsFile; // as the writer writes the defaults

std::string Describe(const SCtlArgs& a) {
    std::ostringstream out;
    out << static_cast<int>(a.eCommand) << '|' << a.strCommand << '|' << a.strAction << '|';
    for (const std::string& str : a.vecArgs) {
        out << str << ',';
    }
    out << '|' << a.strDataFile << '|' << a.strNetwork << '|' << a.strInterface << '|'
        << a.strDefaultsFile << '|' << a.bJson << a.bYes << a.bQuiet << a.bVerbose << a.nWaitSeconds
        << a.bHelp << a.bVersion << '|' << a.strMask << a.bHasMask << '|' << a.strGateway
        << a.bHasGateway << '|';
    for (const std::string& str : a.vecIps) {
        out << str << ',';
    }
    out << '|' << a.strSerial << a.bHasSerial << '|' << a.strRemarks << a.bHasRemarks << '|'
        << a.bRefresh << '|' << a.strBase << '|' << a.strIncrement << '|'
        << static_cast<int>(a.eSilence) << '|' << a.strOut << a.bForce << '|' << a.strFrom << '|'
        << a.bDefaults << '|';
    for (const std::string& str : a.vecSets) {
        out << str << ',';
    }
    out << '|' << a.bExistOk << a.nExpect << a.bExpectAll << a.bOutside << a.bModel << a.nRetry
        << a.nParallel << a.bAll << a.nMode << '|' << a.bCheck << a.strReport << '|' << a.strSince
        << '|' << a.strNodeMac;
    return out.str();
}

// Runs mrvctl in this process with its standard output and error in files.
int RunProgram(std::vector<std::string> vecArgs, std::string& strOut) {
    CFuzzScratch& scratch = CFuzzScratch::Get();
    std::vector<char*> vecPtrs;
    for (std::string& str : vecArgs) {
        vecPtrs.push_back(str.data());
    }
    vecPtrs.push_back(nullptr);
    std::fflush(stdout);
    std::fflush(stderr);
    int fdOut = ::dup(1);
    int fdErr = ::dup(2);
    int fdFileOut = ::open(scratch.File("stdout").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    int fdFileErr = ::open(scratch.File("stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ::dup2(fdFileOut, 1);
    ::dup2(fdFileErr, 2);
    // Relative names on the command line are the scratch folder's.
    int fdCwd = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    FUZZ_CHECK(fdCwd >= 0 && ::chdir(scratch.Dir().c_str()) == 0, "no way into the scratch folder");
    int nExit = RunCtl(static_cast<int>(vecArgs.size()), vecPtrs.data());
    FUZZ_CHECK(::fchdir(fdCwd) == 0, "no way back from the scratch folder");
    ::close(fdCwd);
    std::fflush(stdout);
    std::fflush(stderr);
    ::dup2(fdOut, 1);
    ::dup2(fdErr, 2);
    for (int fd : {fdOut, fdErr, fdFileOut, fdFileErr}) {
        ::close(fd);
    }
    strOut = ReadWholeFile(scratch.File("stdout"));
    ::unlink(scratch.File("stdout").c_str());
    ::unlink(scratch.File("stderr").c_str());
    return nExit;
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int* /*pArgc*/, char*** /*pArgv*/) {
    CFuzzScratch& scratch = CFuzzScratch::Get();
    // Sanitizer reports go where stderr is now, not into the program's captured one.
    __sanitizer_set_report_fd(reinterpret_cast<void*>(static_cast<intptr_t>(::dup(2))));
    {
        SFuzzDoc doc(scratch.File(DATA_NAME));
        doc.pDoc->AddNetwork("LINE-A", 0xFFFFFF00u, 0xC0A80101u);
        doc.pDoc->AddOrUpdateNode(0, 0xC0A8010Au, "0080C8000001", true, "SN-1", "first");
        doc.pDoc->AddOrUpdateNode(0, 0xC0A8C8FEu, "0080C8000002", true, "SN-2", "");
        doc.pDoc->AddNetwork("LINE-B", 0xFFFF0000u, 0x0A000001u);
    }
    g_strDataFile = ReadWholeFile(scratch.File(DATA_NAME));
    CParamFile file;
    file.m_strPath = scratch.File(DEFAULTS_NAME);
    file.LoadParams();
    file.SaveParams();
    g_strDefaultsFile = ReadWholeFile(scratch.File(DEFAULTS_NAME));
    return 0;
}

// Input: a byte (odd: a data file follows, its length a WORD; even: the
// writer's), then the words, each ended by a NUL.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
    CInputReader in(pData, nSize);
    CFuzzScratch& scratch = CFuzzScratch::Get();
    const std::string strData = (in.Byte() & 1) != 0 ? in.Bytes(in.Word()) : g_strDataFile;
    std::vector<std::string> vecArgs = {"mrvctl", std::string("--file=") + DATA_NAME,
                                        std::string("--defaults-file=") + DEFAULTS_NAME};
    std::string strWords = in.Rest();
    for (size_t nStart = 0; nStart <= strWords.size() && vecArgs.size() < 16;) {
        size_t nEnd = strWords.find('\0', nStart);
        vecArgs.push_back(
            strWords.substr(nStart, nEnd == std::string::npos ? nEnd : nEnd - nStart));
        if (nEnd == std::string::npos) {
            break;
        }
        nStart = nEnd + 1;
    }

    SCtlArgs args;
    SCtlArgs argsAgain;
    std::string strError;
    std::string strErrorAgain;
    const int nParsed = ParseCtlArgs(vecArgs, args, strError);
    FUZZ_CHECK(ParseCtlArgs(vecArgs, argsAgain, strErrorAgain) == nParsed &&
                   Describe(args) == Describe(argsAgain) && strError == strErrorAgain,
               "the same command line parsed twice differs");
    FUZZ_CHECK(nParsed == CTL_EXIT_OK ? strError.empty()
                                      : nParsed == CTL_EXIT_BAD_INPUT && !strError.empty(),
               "a parse refused without a reason, or the reverse: " + Shown(strError));
    // Run only what keeps to the scratch folder and sends nothing.
    for (const std::string& str : vecArgs) {
        if (str.find('/') != std::string::npos || str.find("..") != std::string::npos) {
            return 0;
        }
    }
    const bool bEarly = nParsed != CTL_EXIT_OK || args.bHelp || args.bVersion;
    if (!bEarly &&
        (CtlCommandNeedsNodes(args) || args.strDataFile.empty() || args.strDefaultsFile.empty())) {
        return 0;
    }

    scratch.Clear({"home", "run", "tmp"});
    // Each run starts without what an earlier one left in the per-user folder (the operation log).
    std::error_code ec;
    std::filesystem::remove_all(scratch.File("home/.config"), ec);
    const std::string strDataPath =
        scratch.File(args.strDataFile.empty() ? DATA_NAME : args.strDataFile);
    WriteWholeFile(scratch.File(DATA_NAME), strData);
    WriteWholeFile(scratch.File(DEFAULTS_NAME), g_strDefaultsFile);
    const std::vector<std::string> vecBefore = scratch.List();
    bool bDataBefore = false;
    const std::string strDataBefore = ReadWholeFile(strDataPath, &bDataBefore);

    std::string strOut;
    const int nExit = RunProgram(vecArgs, strOut);
    FUZZ_CHECK(nExit >= CTL_EXIT_OK && nExit <= CTL_EXIT_UNANSWERED,
               "an exit status mrvctl does not have: " + std::to_string(nExit));
    if (args.bJson) {
        FUZZ_CHECK(!strOut.empty() && strOut.back() == '\n' &&
                       strOut.find('\n') == strOut.size() - 1,
                   "not one line of JSON: " + Shown(strOut));
        std::string strWhy;
        nlohmann::json json = ParseStrictJson(strOut, strWhy);
        FUZZ_CHECK(!json.is_discarded() && json.is_object(),
                   "not a JSON object (" + strWhy + "): " + Shown(strOut));
        FUZZ_CHECK(json.contains("command") && json.contains("messages") &&
                       json.contains("result") && json.value("exit", -1) == nExit &&
                       json.value("ok", false) == (nExit == 0),
                   "the JSON object does not say the outcome: " + Shown(strOut));
    }
    if (!bEarly && IsListingOnly(args)) {
        bool bDataAfter = false;
        FUZZ_CHECK(ReadWholeFile(strDataPath, &bDataAfter) == strDataBefore &&
                       bDataAfter == bDataBefore,
                   "a listing changed the data file");
        FUZZ_CHECK(scratch.List() == vecBefore, "a listing changed the folder of the data file");
    }
    if (bEarly) {
        FUZZ_CHECK(ReadWholeFile(strDataPath) == strDataBefore,
                   "a refused or answered command line changed the data file");
    }
    scratch.CheckOutsideUnchanged();
    return 0;
}
