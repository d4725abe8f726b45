#include "cli/CtlArgs.h"

#include "platform/IpText.h"
#include "res/Texts.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <getopt.h>
#include <map>
#include <set>

namespace {
// Ids of the options without a short form: below OPT_MASK every command's,
// from there on a command's own.
enum : int {
    OPT_MASK = 1000,
    OPT_GATEWAY,
    OPT_IP,
    OPT_SERIAL,
    OPT_REMARKS,
    OPT_REFRESH,
    OPT_BASE,
    OPT_INCREMENT,
    OPT_ON_SILENCE,
    OPT_OUT,
    OPT_FROM,
    OPT_SET,
    OPT_OUTSIDE,
    OPT_MODEL,
    OPT_RETRY,
    OPT_DEFAULTS,
    OPT_EXIST_OK,
    OPT_EXPECT,
    OPT_EXPECT_ALL,
    OPT_FORCE,
    OPT_CHECK,
    OPT_REPORT,
    OPT_SINCE,
    OPT_NODE,
    OPT_PARALLEL,
    OPT_ALL,
    OPT_DEFAULTS_FILE = 900, // for every command
    OPT_WAIT,                // for every command
};

const option LONG_OPTIONS[] = {
    {"file", required_argument, nullptr, 'f'},
    {"network", required_argument, nullptr, 'n'},
    {"interface", required_argument, nullptr, 'i'},
    {"json", no_argument, nullptr, 'j'},
    {"yes", no_argument, nullptr, 'y'},
    {"quiet", no_argument, nullptr, 'q'},
    {"verbose", no_argument, nullptr, 'v'},
    {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, 'V'},
    {"wait", required_argument, nullptr, OPT_WAIT},
    {"mask", required_argument, nullptr, OPT_MASK},
    {"gateway", required_argument, nullptr, OPT_GATEWAY},
    {"ip", required_argument, nullptr, OPT_IP},
    {"serial", required_argument, nullptr, OPT_SERIAL},
    {"remarks", required_argument, nullptr, OPT_REMARKS},
    {"refresh", no_argument, nullptr, OPT_REFRESH},
    {"base", required_argument, nullptr, OPT_BASE},
    {"increment", required_argument, nullptr, OPT_INCREMENT},
    {"on-silence", required_argument, nullptr, OPT_ON_SILENCE},
    {"out", required_argument, nullptr, OPT_OUT},
    {"from", required_argument, nullptr, OPT_FROM},
    {"set", required_argument, nullptr, OPT_SET},
    {"outside-network", no_argument, nullptr, OPT_OUTSIDE},
    {"model", required_argument, nullptr, OPT_MODEL},
    {"retry", required_argument, nullptr, OPT_RETRY},
    {"defaults", no_argument, nullptr, OPT_DEFAULTS},
    {"exist-ok", no_argument, nullptr, OPT_EXIST_OK},
    {"expect", required_argument, nullptr, OPT_EXPECT},
    {"expect-all", no_argument, nullptr, OPT_EXPECT_ALL},
    {"defaults-file", required_argument, nullptr, OPT_DEFAULTS_FILE},
    {"force", no_argument, nullptr, OPT_FORCE},
    {"check", no_argument, nullptr, OPT_CHECK},
    {"report", required_argument, nullptr, OPT_REPORT},
    {"since", required_argument, nullptr, OPT_SINCE},
    {"node", required_argument, nullptr, OPT_NODE},
    {"parallel", required_argument, nullptr, OPT_PARALLEL},
    {"all", no_argument, nullptr, OPT_ALL},
    {nullptr, 0, nullptr, 0},
};
constexpr char SHORT_OPTIONS[] = "+f:n:i:jyqvhV";

struct SCommandRule {
    const char* pszName;
    ECtlCommand eCommand;
    std::set<int> setOptions; // the command's own options
    const char* pszHelp;
};

const std::vector<SCommandRule>& CommandRules() {
    static const std::vector<SCommandRule> s_vec = {
        {"networks",
         ECtlCommand::Networks,
         {OPT_MASK, OPT_GATEWAY, OPT_EXIST_OK},
         TXT_CTL_HELP_NETWORKS},
        {"nodes", ECtlCommand::Nodes, {OPT_IP, OPT_SERIAL, OPT_REMARKS}, TXT_CTL_HELP_NODES},
        {"search",
         ECtlCommand::Search,
         {OPT_REFRESH, OPT_IP, OPT_EXPECT, OPT_EXPECT_ALL},
         TXT_CTL_HELP_SEARCH},
        {"autoset",
         ECtlCommand::AutoSet,
         {OPT_BASE, OPT_INCREMENT, OPT_ON_SILENCE},
         TXT_CTL_HELP_AUTOSET},
        {"get-params",
         ECtlCommand::GetParams,
         {OPT_OUT, OPT_FORCE, OPT_OUTSIDE},
         TXT_CTL_HELP_GET_PARAMS},
        {"set-params",
         ECtlCommand::SetParams,
         {OPT_FROM, OPT_DEFAULTS, OPT_SET, OPT_OUTSIDE},
         TXT_CTL_HELP_SET_PARAMS},
        {"defaults", ECtlCommand::Defaults, {OPT_FROM, OPT_SET}, TXT_CTL_HELP_DEFAULTS},
        {"mode", ECtlCommand::Mode, {OPT_OUTSIDE}, TXT_CTL_HELP_MODE},
        {"init", ECtlCommand::Init, {OPT_MODEL, OPT_ON_SILENCE}, TXT_CTL_HELP_INIT},
        {"download",
         ECtlCommand::Download,
         {OPT_RETRY, OPT_PARALLEL, OPT_ALL},
         TXT_CTL_HELP_DOWNLOAD},
        {"files", ECtlCommand::Files, {}, TXT_CTL_HELP_FILES},
        {"version", ECtlCommand::Version, {OPT_OUTSIDE}, TXT_CTL_HELP_VERSION},
        {"delete-app", ECtlCommand::DeleteApp, {}, TXT_CTL_HELP_DELETE_APP},
        {"commission",
         ECtlCommand::Commission,
         {OPT_CHECK, OPT_REPORT, OPT_FORCE, OPT_PARALLEL},
         TXT_CTL_HELP_COMMISSION},
        {"log", ECtlCommand::Log, {OPT_SINCE, OPT_NODE}, TXT_CTL_HELP_LOG},
    };
    return s_vec;
}

std::string Format(const char* pszFormat, const std::string& str) {
    char sz[512];
    std::snprintf(sz, sizeof sz, pszFormat, str.c_str());
    return sz;
}

const char* LongName(int nId) {
    for (const option& opt : LONG_OPTIONS) {
        if (opt.name != nullptr && opt.val == nId) {
            return opt.name;
        }
    }
    return "";
}

// A whole number from nMin to nMax, nothing else.
bool ParseWhole(const std::string& str, int nMin, int nMax, int& nValue) {
    if (str.empty() || str.size() > 9 ||
        !std::all_of(str.begin(), str.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return false;
    }
    nValue = std::stoi(str);
    return nValue >= nMin && nValue <= nMax;
}

void SplitInto(const std::string& str, std::vector<std::string>& vec) {
    size_t nStart = 0;
    while (true) {
        size_t nComma = str.find(',', nStart);
        vec.push_back(str.substr(nStart, nComma == std::string::npos ? nComma : nComma - nStart));
        if (nComma == std::string::npos) {
            return;
        }
        nStart = nComma + 1;
    }
}

// An address typed as an option: the plain four decimal parts, a mask with
// its ones contiguous from the top. The dialogs' parser would also take short
// and hexadecimal forms (1.2.3 as 1.2.0.3); a script means none of them.
bool CheckAddress(const std::string& strValue, bool bMask, std::string& strError) {
    uint32_t dwIp = 0;
    if (!ParseDottedStrict(strValue, dwIp) ||
        strValue.find_first_not_of("0123456789.") != std::string::npos) {
        strError = Format(TXT_CTL_ERR_NOT_DOTTED, strValue);
        return false;
    }
    const uint32_t dwHost = ~dwIp;
    if (bMask && (dwHost & (dwHost + 1)) != 0) {
        strError = Format(TXT_CTL_ERR_NOT_CONTIGUOUS, strValue);
        return false;
    }
    return true;
}

// The option's value into args; false with the reason.
bool TakeOption(int nId, const std::string& strValue, SCtlArgs& args, std::string& strError) {
    switch (nId) {
    case 'f':
        args.strDataFile = strValue;
        break;
    case 'n':
        args.strNetwork = strValue;
        break;
    case 'i':
        args.strInterface = strValue;
        break;
    case 'j':
        args.bJson = true;
        break;
    case 'y':
        args.bYes = true;
        break;
    case 'q':
        args.bQuiet = true;
        break;
    case 'v':
        args.bVerbose = true;
        break;
    case 'h':
        args.bHelp = true;
        break;
    case 'V':
        args.bVersion = true;
        break;
    case OPT_WAIT:
        if (!ParseWhole(strValue, 0, 86400, args.nWaitSeconds)) {
            strError = Format(TXT_CTL_ERR_BAD_NUMBER, strValue);
            return false;
        }
        break;
    case OPT_FORCE:
        args.bForce = true;
        break;
    case OPT_MASK:
        args.strMask = strValue;
        args.bHasMask = true;
        return CheckAddress(strValue, true, strError);
    case OPT_GATEWAY:
        args.strGateway = strValue;
        args.bHasGateway = true;
        return CheckAddress(strValue, false, strError);
    case OPT_IP: {
        size_t nFirst = args.vecIps.size();
        SplitInto(strValue, args.vecIps);
        for (size_t i = nFirst; i < args.vecIps.size(); ++i) {
            if (!CheckAddress(args.vecIps[i], false, strError)) {
                return false;
            }
        }
        break;
    }
    case OPT_SERIAL:
        args.strSerial = strValue;
        args.bHasSerial = true;
        break;
    case OPT_REMARKS:
        args.strRemarks = strValue;
        args.bHasRemarks = true;
        break;
    case OPT_REFRESH:
        args.bRefresh = true;
        break;
    case OPT_BASE:
        args.strBase = strValue;
        return CheckAddress(strValue, false, strError);
    case OPT_INCREMENT:
        args.strIncrement = strValue;
        break;
    case OPT_ON_SILENCE:
        if (strValue == "continue") {
            args.eSilence = ECtlSilence::Continue;
        } else if (strValue == "stop") {
            args.eSilence = ECtlSilence::Stop;
        } else {
            strError = Format(TXT_CTL_ERR_BAD_SILENCE, strValue);
            return false;
        }
        break;
    case OPT_OUT:
        args.strOut = strValue;
        break;
    case OPT_FROM:
        args.strFrom = strValue;
        break;
    case OPT_SET:
        if (strValue.find('=') == std::string::npos || strValue.front() == '=') {
            strError = Format(TXT_CTL_ERR_BAD_SET, strValue);
            return false;
        }
        args.vecSets.push_back(strValue);
        break;
    case OPT_OUTSIDE:
        args.bOutside = true;
        break;
    case OPT_MODEL:
        if (strValue != "MRV-620") {
            strError = Format(TXT_CTL_ERR_BAD_MODEL, strValue);
            return false;
        }
        args.bModel = true;
        break;
    case OPT_RETRY:
        if (!ParseWhole(strValue, 0, 99, args.nRetry)) {
            strError = Format(TXT_CTL_ERR_BAD_NUMBER, strValue);
            return false;
        }
        break;
    case OPT_PARALLEL:
        if (!ParseWhole(strValue, 1, 64, args.nParallel)) {
            strError = Format(TXT_CTL_ERR_BAD_NUMBER, strValue);
            return false;
        }
        break;
    case OPT_ALL:
        args.bAll = true;
        break;
    case OPT_DEFAULTS:
        args.bDefaults = true;
        break;
    case OPT_EXIST_OK:
        args.bExistOk = true;
        break;
    case OPT_EXPECT:
        if (!ParseWhole(strValue, 0, 65535, args.nExpect)) {
            strError = Format(TXT_CTL_ERR_BAD_NUMBER, strValue);
            return false;
        }
        break;
    case OPT_EXPECT_ALL:
        args.bExpectAll = true;
        break;
    case OPT_DEFAULTS_FILE:
        args.strDefaultsFile = strValue;
        break;
    case OPT_CHECK:
        args.bCheck = true;
        break;
    case OPT_REPORT:
        args.strReport = strValue;
        break;
    case OPT_SINCE:
        args.strSince = strValue;
        break;
    case OPT_NODE: {
        std::string strMac = strValue;
        std::erase_if(strMac, [](char c) { return c == ':' || c == '-'; });
        if (strMac.size() != 12 ||
            strMac.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) {
            strError = Format(TXT_CTL_ERR_BAD_MAC, strValue);
            return false;
        }
        for (char& c : strMac) {
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        }
        args.strNodeMac = strMac;
        break;
    }
    default:
        break;
    }
    return true;
}

bool Fail(std::string& strError, const char* pszFormat, const std::string& str) {
    strError = Format(pszFormat, str);
    return false;
}

// How many arguments each command (and action) takes: at least, at most.
bool CheckArguments(SCtlArgs& args, std::string& strError) {
    std::vector<std::string>& vec = args.vecArgs;
    auto TakeAction = [&](std::initializer_list<const char*> listActions, const char* pszDefault) {
        if (vec.empty()) {
            args.strAction = pszDefault;
            return true;
        }
        for (const char* psz : listActions) {
            if (vec.front() == psz) {
                args.strAction = psz;
                vec.erase(vec.begin());
                return true;
            }
        }
        return Fail(strError, TXT_CTL_ERR_UNKNOWN_ACTION, vec.front());
    };
    auto Count = [&](size_t nMin, size_t nMax, const char* pszWhat) {
        if (vec.size() < nMin) {
            return Fail(strError, TXT_CTL_ERR_MISSING_ARG, pszWhat);
        }
        if (vec.size() > nMax) {
            return Fail(strError, TXT_CTL_ERR_TOO_MANY, vec[nMax]);
        }
        return true;
    };
    constexpr size_t ANY = static_cast<size_t>(-1);
    switch (args.eCommand) {
    case ECtlCommand::Networks:
        if (!TakeAction({"list", "add", "select", "delete", "show"}, "list")) {
            return false;
        }
        if (args.strAction == "add" || args.strAction == "select") {
            return Count(1, 1, "NAME");
        }
        return Count(0, args.strAction == "list" ? 0 : 1, "NAME");
    case ECtlCommand::Nodes:
        if (!TakeAction({"list", "add", "delete", "set"}, "list")) {
            return false;
        }
        if (args.vecIps.size() > 1) {
            return Fail(strError, TXT_CTL_ERR_TOO_MANY, args.vecIps[1]);
        }
        if (args.strAction == "set" && !args.bHasSerial && !args.bHasRemarks &&
            args.vecIps.empty()) {
            strError = TXT_CTL_ERR_NOTHING_TO_SET;
            return false;
        }
        if (args.strAction == "list") {
            return Count(0, 0, "");
        }
        return Count(1, 1, args.strAction == "add" ? "MAC" : "NODE");
    case ECtlCommand::Search:
        return Count(0, 0, "");
    case ECtlCommand::AutoSet:
        if (args.strBase.empty()) {
            return Fail(strError, TXT_CTL_ERR_MISSING_ARG, "--base");
        }
        return Count(0, 0, "");
    case ECtlCommand::GetParams:
    case ECtlCommand::Files:
        return Count(1, 1, "NODE");
    case ECtlCommand::SetParams:
        if (!args.strFrom.empty() && args.bDefaults) {
            strError = TXT_CTL_ERR_FROM_AND_DEFAULTS;
            return false;
        }
        return Count(1, ANY, "NODE");
    case ECtlCommand::Version:
        return Count(1, ANY, "NODE");
    case ECtlCommand::Defaults:
        if (!TakeAction({"show"}, "")) {
            return false;
        }
        return Count(0, 0, "");
    case ECtlCommand::Mode:
        if (!Count(2, 2, vec.empty() ? "NODE" : "MODE")) {
            return false;
        }
        if (!ParseWhole(vec[1], 0, 7, args.nMode) || args.nMode == 4 || args.nMode == 5) {
            return Fail(strError, TXT_CTL_ERR_BAD_MODE, vec[1]);
        }
        return true;
    case ECtlCommand::Init:
        return args.bModel ? Count(0, 0, "") : Count(1, 1, "NODE");
    case ECtlCommand::Download:
        if (vec.empty()) {
            return Fail(strError, TXT_CTL_ERR_MISSING_ARG, "kernel|app");
        }
        if (vec.front() != "kernel" && vec.front() != "app") {
            return Fail(strError, TXT_CTL_ERR_BAD_KIND, vec.front());
        }
        args.strAction = vec.front();
        vec.erase(vec.begin());
        if (args.bAll) { // the nodes are the network's
            return Count(1, 1, "FILE");
        }
        return Count(2, ANY, vec.empty() ? "FILE" : "NODE");
    case ECtlCommand::DeleteApp:
        return Count(2, ANY, vec.empty() ? "NODE" : "NAME");
    case ECtlCommand::Commission:
        if (args.bCheck && !args.strReport.empty()) {
            strError = TXT_CTL_ERR_CHECK_AND_REPORT;
            return false;
        }
        return Count(1, 1, "MANIFEST.csv");
    case ECtlCommand::Log:
        return Count(0, 0, "");
    case ECtlCommand::None:
        break;
    }
    return true;
}
} // namespace

const char* GetCtlHelp(ECtlCommand eCommand) {
    for (const SCommandRule& rule : CommandRules()) {
        if (rule.eCommand == eCommand) {
            return rule.pszHelp;
        }
    }
    return TXT_CTL_HELP;
}

int ParseCtlArgs(const std::vector<std::string>& vecArgv, SCtlArgs& args, std::string& strError) {
    args = SCtlArgs();
    // getopt_long permutes the vector it is given: it gets copies.
    std::vector<std::string> vecCopy = vecArgv;
    if (vecCopy.empty()) {
        vecCopy.emplace_back(TXT_CTL_PROGRAM_NAME);
    }
    std::vector<char*> vecPtrs;
    for (std::string& str : vecCopy) {
        vecPtrs.push_back(str.data());
    }
    vecPtrs.push_back(nullptr);
    const int argc = static_cast<int>(vecCopy.size());

    // Options before the command, then the command, then the rest: '+' stops
    // at the first word, so that the command is known before its options.
    std::vector<std::pair<int, std::string>> vecOptions;
    std::vector<std::string> vecWords;
    ::optind = 0; // a fresh scan every call
    ::opterr = 0;
    while (true) {
        int nIndex = -1;
        const int nBefore = ::optind == 0 ? 1 : ::optind;
        int nId = ::getopt_long(argc, vecPtrs.data(), SHORT_OPTIONS, LONG_OPTIONS, &nIndex);
        if (nId == -1) {
            if (::optind > nBefore &&
                std::strcmp(vecPtrs[static_cast<size_t>(nBefore)], "--") == 0) {
                // "--": everything after it is a word.
                for (int i = ::optind; i < argc; ++i) {
                    vecWords.emplace_back(vecPtrs[static_cast<size_t>(i)]);
                }
                break;
            }
            if (::optind >= argc) {
                break;
            }
            // A word: collect it and scan on after it.
            vecWords.emplace_back(vecPtrs[static_cast<size_t>(::optind)]);
            ++::optind;
            continue;
        }
        if (nId == '?' || nId == ':') {
            std::string strArg = vecPtrs[static_cast<size_t>(::optind - 1)];
            bool bKnown =
                strArg.rfind("--", 0) == 0
                    ? std::any_of(std::begin(LONG_OPTIONS), std::end(LONG_OPTIONS),
                                  [&](const option& opt) {
                                      return opt.name != nullptr &&
                                             strArg.substr(2, strArg.find('=') - 2) == opt.name;
                                  })
                    : (::optopt != 0 && std::strchr(SHORT_OPTIONS + 1, ::optopt));
            if (strError.empty()) {
                strError =
                    Format(bKnown ? TXT_CTL_ERR_MISSING_VALUE : TXT_CTL_ERR_UNKNOWN_OPTION, strArg);
            }
            continue; // on: a --json further on still asks for JSON
        }
        vecOptions.emplace_back(nId, ::optarg != nullptr ? ::optarg : "");
    }
    // Known before anything can be refused, so that a refusal is JSON too.
    args.bJson = std::any_of(vecOptions.begin(), vecOptions.end(),
                             [](const auto& option) { return option.first == 'j'; });
    if (!strError.empty()) {
        return CTL_EXIT_BAD_INPUT;
    }

    // The command.
    const SCommandRule* pRule = nullptr;
    if (!vecWords.empty()) {
        args.strCommand = vecWords.front();
        vecWords.erase(vecWords.begin());
        if (args.strCommand == "help") { // "mrvctl help COMMAND"
            args.bHelp = true;
            args.strCommand = vecWords.empty() ? "" : vecWords.front();
            vecWords.clear();
        }
        for (const SCommandRule& rule : CommandRules()) {
            if (args.strCommand == rule.pszName) {
                pRule = &rule;
            }
        }
        if (pRule == nullptr && !args.strCommand.empty()) {
            strError = Format(TXT_CTL_ERR_UNKNOWN_COMMAND, args.strCommand);
            return CTL_EXIT_BAD_INPUT;
        }
        args.eCommand = pRule != nullptr ? pRule->eCommand : ECtlCommand::None;
    }
    for (const auto& [nId, strValue] : vecOptions) {
        if (nId >= OPT_MASK && (pRule == nullptr || pRule->setOptions.count(nId) == 0)) {
            strError = Format(TXT_CTL_ERR_OPTION_NOT_HERE, LongName(nId));
            return CTL_EXIT_BAD_INPUT;
        }
        if (!TakeOption(nId, strValue, args, strError)) {
            return CTL_EXIT_BAD_INPUT;
        }
    }
    if (args.bQuiet && args.bVerbose) {
        strError = TXT_CTL_ERR_QUIET_AND_VERBOSE;
        return CTL_EXIT_BAD_INPUT;
    }
    if (args.bHelp || args.bVersion) {
        return CTL_EXIT_OK;
    }
    if (pRule == nullptr) {
        strError = TXT_CTL_ERR_NO_COMMAND;
        return CTL_EXIT_BAD_INPUT;
    }
    args.vecArgs = std::move(vecWords);
    return CheckArguments(args, strError) ? CTL_EXIT_OK : CTL_EXIT_BAD_INPUT;
}
