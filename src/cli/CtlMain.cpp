#include "cli/CtlMain.h"

#include "app/Leftovers.h"
#include "app/OrvixApp.h"
#include "cli/CtlArgs.h"
#include "cli/CtlCommands.h"
#include "cli/CtlOwnership.h"
#include "cli/CtlTrace.h"
#include "cli/CtlUi.h"
#include "doc/FtpRun.h"
#include "doc/OperationLog.h"
#include "doc/OrvixDoc.h"
#include "ops/SearchInterface.h"
#include "platform/DataFileLock.h"
#include "platform/DatagramSocket.h"
#include "platform/PollMessagePump.h"
#include "platform/PosixDatagramSocket.h"
#include "platform/PumpClock.h"
#include "platform/StopRequest.h"
#include "platform/TerminationSignals.h"
#include "res/Texts.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <unistd.h>

namespace {
// The endpoint of a command that sends nothing: it never takes the port, so
// listing the registry works beside another program that owns it.
class CUnboundDatagramSocket : public CDatagramSocket {
public:
    bool Bind(uint16_t /*wPort*/) override { return false; }
    bool SetBroadcast(bool /*bOn*/) override { return false; }
    int SendTo(const void* /*pData*/, size_t /*nLen*/, uint32_t /*dwIp*/,
               uint16_t /*wPort*/) override {
        return -1;
    }
    int ReceiveFrom(void* /*pBuf*/, size_t /*nCapacity*/, std::string& /*strAddr*/,
                    uint16_t& /*wPort*/) override {
        return -1;
    }
    int GetDescriptor() const override { return -1; }
    void Close() override {}
};

CJson MessagesJson(const CCtlUi& ui) {
    CJson json = CJson::Array();
    for (const CCtlUi::SMessage& message : ui.GetMessages()) {
        CJson jsonMessage = CJson::Object();
        jsonMessage.Set("text", CJson::Str(message.strText));
        jsonMessage.Set("exit", CJson::Int(message.nExit));
        json.Push(jsonMessage);
    }
    return json;
}

// What the command prints on standard output: exactly one JSON object under
// --json, else its text.
void PrintOutcome(const SCtlArgs& args, const CCtlUi& ui, const SCtlResult& result, int nExit) {
    if (args.bJson) {
        std::printf("%s\n", OutcomeJson(args, nExit, MessagesJson(ui), result.json).Dump().c_str());
    } else if (!args.bQuiet) {
        std::fputs(FormatCtlText(result).c_str(), stdout);
    }
}

// Under --json, an argument that is no UTF-8 is said before its bytes are
// replaced in the output.
void NoteArgumentsNotUtf8(const std::vector<std::string>& vecArgv, CCtlUi& ui) {
    for (size_t i = 1; i < vecArgv.size(); ++i) {
        if (!IsUtf8(vecArgv[i])) {
            char sz[128];
            std::snprintf(sz, sizeof sz, TXT_CTL_NOTE_NOT_UTF8, static_cast<int>(i));
            ui.Report(CTL_EXIT_OK, sz);
        }
    }
}

// The refusal of --interface, naming the interfaces that could be chosen.
std::string UnknownInterfaceText(COrvixDoc& doc, const std::string& strName) {
    std::string strUsable;
    for (const SNetInterface& itf : ListSearchInterfaces(doc)) {
        strUsable += (strUsable.empty() ? "" : ", ") + itf.strName;
    }
    std::string strText = TXT_CTL_ERR_UNKNOWN_INTERFACE;
    strText.replace(strText.find("%s"), 2, strName);
    strText.replace(strText.find("%s"), 2, strUsable.empty() ? "-" : strUsable);
    return strText;
}

// The command on the document of strDataPath, whose lock is ours. True
// when the command ran (and may have changed the registry).
bool RunOnDocument(COrvixApp& theApp, const std::string& strDataPath, const SCtlArgs& args,
                   CCtlUi& ui, SCtlResult& result, const CStopRequest& stop, COperationLog* pLog) {
    const bool bNodes = CtlCommandNeedsNodes(args);
    ui.SetOffline(!bNodes);
    if (bNodes) {
        WaitForNodePort(args, stop);
    }
    CPollMessagePump pump;
    CPumpClock clock(pump);
    std::unique_ptr<CDatagramSocket> pSocket;
    if (bNodes) {
        pSocket = std::make_unique<CPosixDatagramSocket>();
        if (args.bVerbose) {
            pSocket = std::make_unique<CTracingDatagramSocket>(std::move(pSocket), stderr);
        }
    } else {
        pSocket = std::make_unique<CUnboundDatagramSocket>();
    }
    SDocEnv env{ui, pump, clock, theApp.m_settings, theApp.GetDefaultParam(), strDataPath};
    // An unreadable file is said and left as it is: a script must not go on
    // from an empty registry.
    env.bMoveUnreadableAside = false;
    env.pStop = &stop;
    env.pLog = pLog;
    COrvixDoc doc(env, std::move(pSocket));
    doc.SetSaveOnClose(false);
    if (args.bVerbose) {
        SFtpRunEnv ftpEnv = doc.GetFtpRunEnv();
        ftpEnv.fnTrace = [](const std::string& strLine) {
            std::fprintf(stderr, "%s: %s\n", TXT_CTL_PROGRAM_NAME, strLine.c_str());
            std::fflush(stderr);
        };
        doc.SetFtpRunEnv(ftpEnv);
    }
    if (ui.GetExit() == CTL_EXIT_MANAGER_RUNNING) {
        ReportPortHolder(ui); // another program talks to the nodes
    }
    if (bNodes && ui.GetExit() == CTL_EXIT_OK) {
        // Broadcasts leave as the manager's do: through every interface, or the one named.
        UseSystemInterfaces(doc);
        if (!args.strInterface.empty() && !SetSearchInterface(doc, args.strInterface)) {
            ui.Report(CTL_EXIT_BAD_INPUT, UnknownInterfaceText(doc, args.strInterface));
        }
    }
    if (ui.GetExit() != CTL_EXIT_OK) {
        return false;
    }
    if (stop.IsRequested()) {
        ReportStopBeforeStart(ui, stop.GetReason());
        return false;
    }
    SCtlContext ctx{doc, theApp.m_paramFile, ui, args, result};
    RunCtlCommand(ctx);
    // A listing neither rewrites the data file nor creates it.
    doc.SetSaveOnClose(!IsListingOnly(args));
    return true;
} // the document saves the data file here
} // namespace

bool IsListingOnly(const SCtlArgs& args) {
    if (!args.strNetwork.empty()) {
        return false;
    }
    switch (args.eCommand) {
    case ECtlCommand::Networks:
        return args.strAction == "list" || args.strAction == "show";
    case ECtlCommand::Nodes:
        return args.strAction == "list";
    case ECtlCommand::Defaults:
        return args.strFrom.empty() && args.vecSets.empty();
    case ECtlCommand::Commission:
        return args.bCheck;
    default:
        return false;
    }
}

int RunCtl(int argc, char** argv) {
    std::vector<std::string> vecArgv(argv, argv + argc);
    SCtlArgs args;
    std::string strError;
    const int nParsed = ParseCtlArgs(vecArgv, args, strError);
    CCtlUi ui(stderr);
    SCtlResult result;
    if (args.bJson) {
        NoteArgumentsNotUtf8(vecArgv, ui);
    }
    if (nParsed != CTL_EXIT_OK) {
        ui.Report(CTL_EXIT_BAD_INPUT, strError);
        std::fputs(TXT_CTL_USAGE, stderr);
        if (args.bJson) {
            PrintOutcome(args, ui, result, ui.GetExit());
        }
        return CTL_EXIT_BAD_INPUT;
    }
    if (args.bHelp || args.bVersion) {
        std::string strText;
        if (args.bHelp) {
            strText = std::string(args.eCommand == ECtlCommand::None ? TXT_CTL_USAGE : "") +
                      GetCtlHelp(args.eCommand);
            result.json.Set("help", CJson::Str(strText));
        } else {
            strText = std::string(TXT_CTL_PROGRAM_NAME) + " " + TXT_PROGRAM_VERSION + "\n";
            result.json.Set("version", CJson::Str(TXT_PROGRAM_VERSION));
        }
        if (args.bJson) {
            PrintOutcome(args, ui, result, ui.GetExit());
        } else {
            std::fputs(strText.c_str(), stdout);
        }
        return CTL_EXIT_OK;
    }
    // The user's own log: read without the data file or the port.
    if (args.eCommand == ECtlCommand::Log) {
        RunLogCommand(args, ui, result, GetOperationLogPath());
        PrintOutcome(args, ui, result, ui.GetExit());
        return ui.GetExit();
    }

    // Told to stop, the command ends at its next safe point; a second signal
    // ends it at once. The handler sees this for the rest of the process.
    static CStopRequest s_stop;
    RouteTerminationSignals(s_stop, [&args](int nSignal) { return AtOnceTexts(args, nSignal); });

    // The manager's own files, found as the manager finds them.
    COrvixApp theApp = COrvixApp::ForManagerFiles();
    std::string strDataPath = theApp.m_strDataPath;
    if (!args.strDataFile.empty()) {
        std::error_code ec;
        strDataPath = std::filesystem::absolute(args.strDataFile, ec).string();
    }

    ui.SetQuiet(args.bQuiet);
    ui.SetProgress(!args.bQuiet && ::isatty(STDERR_FILENO) == 1);
    {
        // One owner of the data file at a time, for the whole command; the
        // lock goes after the document saved.
        CDataFileLock lock(strDataPath, TXT_CTL_PROGRAM_NAME);
        if (TakeDataFile(lock, strDataPath, IsListingOnly(args), args, ui, s_stop)) {
            // What killed runs left; and the INI file as it is now that no
            // other program may change it.
            RemoveLeftoversOfDeadRuns(
                {strDataPath, theApp.m_paramFile.m_strPath, args.strDefaultsFile});
            theApp.m_paramFile.Load(theApp.m_paramFile.m_strPath, theApp.m_settings);
            const std::string strLogPath = GetOperationLogPath();
            COperationLog oplog(TXT_CTL_PROGRAM_NAME, strLogPath);
            if (RunOnDocument(theApp, strDataPath, args, ui, result, s_stop,
                              strLogPath.empty() ? nullptr : &oplog) &&
                s_stop.IsRequested()) {
                ReportStop(ui, result, s_stop.GetReason());
            }
        }
    }

    // The last output is written whole: no signal cuts it short any more.
    HoldTerminationSignals();
    int nExit = ui.GetExit();
    if (s_stop.IsRequested() && nExit != CTL_EXIT_MANAGER_RUNNING) {
        nExit = CTL_EXIT_SIGNAL_BASE + s_stop.GetReason();
    }
    PrintOutcome(args, ui, result, nExit);
    return nExit;
}
