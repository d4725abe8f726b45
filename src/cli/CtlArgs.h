#pragma once
// The command line of mrvctl: one command, its action and arguments, and the
// options, read with getopt_long. Only the form is checked here; nodes,
// networks and values are checked where the operation meets them.
#include <string>
#include <vector>

// Exit statuses: a script tells the failures apart by these.
inline constexpr int CTL_EXIT_OK = 0;
inline constexpr int CTL_EXIT_FAILED = 1;
inline constexpr int CTL_EXIT_BAD_INPUT = 2;
inline constexpr int CTL_EXIT_NO_REPLY = 3;
inline constexpr int CTL_EXIT_ABNORMAL = 4;
inline constexpr int CTL_EXIT_FTP = 5;
// The data file or port 65532 is another program's (the manager's, or another mrvctl's).
inline constexpr int CTL_EXIT_MANAGER_RUNNING = 6;
inline constexpr int CTL_EXIT_UNANSWERED = 7;
// Stopped by a signal: 128 plus its number (130 SIGINT, 143 SIGTERM, 129 SIGHUP).
inline constexpr int CTL_EXIT_SIGNAL_BASE = 128;

enum class ECtlCommand {
    None,
    Networks,
    Nodes,
    Search,
    AutoSet,
    GetParams,
    SetParams,
    Defaults,
    Mode,
    Init,
    Download,
    Files,
    Version,
    DeleteApp,
    Commission,
    Log,
};

// What to do about a node that stays silent in a run over many nodes.
enum class ECtlSilence { Unanswered, Continue, Stop };

struct SCtlArgs {
    ECtlCommand eCommand = ECtlCommand::None;
    std::string strCommand; // as typed
    // networks, nodes, defaults: list/add/...; download: kernel or app.
    std::string strAction;
    std::vector<std::string> vecArgs; // what follows the command and its action

    // Every command.
    std::string strDataFile;
    std::string strNetwork;
    std::string strInterface;    // empty: broadcasts leave through every interface
    std::string strDefaultsFile; // empty: the manager's DefParam.ini
    bool bJson = false;
    bool bYes = false;
    bool bQuiet = false;   // errors only
    bool bVerbose = false; // each datagram and FTP step on standard error
    int nWaitSeconds = 0;  // how long to wait for the data file or the port
    bool bHelp = false;
    bool bVersion = false;

    // The commands' own options; bHas... tells a given empty text from none.
    std::string strMask;
    bool bHasMask = false;
    std::string strGateway;
    bool bHasGateway = false;
    std::vector<std::string> vecIps; // --ip, repeated or comma-separated
    std::string strSerial;
    bool bHasSerial = false;
    std::string strRemarks;
    bool bHasRemarks = false;
    bool bRefresh = false;
    std::string strBase;
    std::string strIncrement = "1"; // as typed into the dialog
    ECtlSilence eSilence = ECtlSilence::Unanswered;
    std::string strOut;
    bool bForce = false; // an existing --out file is replaced
    std::string strFrom;
    bool bDefaults = false;           // set-params: start from the default parameters
    std::vector<std::string> vecSets; // KEY=VALUE
    bool bExistOk = false;            // networks add: the same network there already is fine
    int nExpect = -1;                 // search: at least this many registered nodes answer
    bool bExpectAll = false;          // search: every registered node answers
    bool bOutside = false;
    bool bModel = false; // init --model MRV-620
    int nRetry = 0;
    int nParallel = 0; // download --parallel: nodes in flight at once; 0: not given
    bool bAll = false; // download --all: every node of the network with an address
    int nMode = -1;
    bool bCheck = false;    // commission: validate only, send nothing
    std::string strReport;  // commission: the as-built record (CSV)
    std::string strSince;   // log: entries from this time on
    std::string strNodeMac; // log: one node's entries
};

// CTL_EXIT_OK, or CTL_EXIT_BAD_INPUT with the reason. vecArgv[0] is the
// program. --help and --version end the parse successfully with their flag set.
int ParseCtlArgs(const std::vector<std::string>& vecArgv, SCtlArgs& args, std::string& strError);

// The help text of a command; the program's own for ECtlCommand::None.
const char* GetCtlHelp(ECtlCommand eCommand);
