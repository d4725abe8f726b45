// mrvctl log: the operation log, read and filtered.
#include "cli/CtlCommands.h"
#include "cli/CtlUi.h"
#include "doc/OperationLog.h"
#include "res/Texts.h"

#include <cctype>
#include <cstdio>
#include <ctime>

namespace {
// --since: a time as the log writes it, or how long ago (30m, 12h, 7d).
bool SinceTime(const std::string& strText, int64_t& nTime) {
    if (strText.size() >= 2 && strText.size() <= 8 &&
        strText.find_first_not_of("0123456789", 0) == strText.size() - 1) {
        const char cUnit = strText.back();
        const int64_t nCount = std::stoll(strText.substr(0, strText.size() - 1));
        const int64_t nUnit = cUnit == 's'   ? 1
                              : cUnit == 'm' ? 60
                              : cUnit == 'h' ? 3600
                              : cUnit == 'd' ? 86400
                                             : 0;
        if (nUnit == 0) {
            return false;
        }
        nTime = static_cast<int64_t>(std::time(nullptr)) - nCount * nUnit;
        return true;
    }
    return ParseLogTime(strText, nTime);
}

std::string Upper(std::string str) {
    for (char& c : str) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return str;
}
} // namespace

void RunLogCommand(const SCtlArgs& args, CCtlUi& ui, SCtlResult& result,
                   const std::string& strPath) {
    int64_t nSince = 0;
    if (!args.strSince.empty() && !SinceTime(args.strSince, nSince)) {
        char sz[256];
        std::snprintf(sz, sizeof sz, TXT_CTL_ERR_BAD_SINCE, args.strSince.c_str());
        ui.Report(CTL_EXIT_BAD_INPUT, sz);
        return;
    }
    if (strPath.empty()) {
        ui.Report(CTL_EXIT_FAILED, TXT_CTL_ERR_NO_LOG);
        return;
    }
    result.json.Set("log", CJson::Str(strPath));
    CJson& jsonEntries = result.json["entries"] = CJson::Array();
    result.vecHeader = {"time", "program",   "user",    "network", "MAC",
                        "IP",   "operation", "outcome", "message"};
    for (const SOperationEntry& entry : ReadOperationLog(strPath)) {
        if ((!args.strSince.empty() && entry.nTime < nSince) ||
            (!args.strNodeMac.empty() && Upper(entry.strMac) != args.strNodeMac) ||
            (!args.strNetwork.empty() && entry.strNetwork != args.strNetwork)) {
            continue;
        }
        CJson json = CJson::Object();
        json.Set("time", CJson::Str(entry.strTime));
        json.Set("program", CJson::Str(entry.strProgram));
        json.Set("user", CJson::Str(entry.strUser));
        json.Set("network", CJson::Str(entry.strNetwork));
        json.Set("mac", CJson::Str(entry.strMac));
        json.Set("ip", CJson::Str(entry.strIp));
        json.Set("operation", CJson::Str(entry.strOperation));
        json.Set("outcome", CJson::Str(entry.strOutcome));
        json.Set("message", CJson::Str(entry.strMessage));
        jsonEntries.Push(json);
        result.vecRows.push_back({entry.strTime, entry.strProgram, entry.strUser, entry.strNetwork,
                                  entry.strMac, entry.strIp, entry.strOperation, entry.strOutcome,
                                  entry.strMessage});
    }
}
