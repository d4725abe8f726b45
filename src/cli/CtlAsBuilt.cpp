// The as-built record of a commissioning: in the command's output and, on
// request, as a new CSV file.
#include "cli/CtlCommission.h"
#include "cli/CtlCommon.h"
#include "doc/OperationLog.h"
#include "platform/AtomicFile.h"
#include "res/Texts.h"

#include <cerrno>
#include <cstdio>

namespace {
const char* const CSV_COLUMNS[] = {"line",   "mac",    "ip",       "serial",     "remarks",
                                   "params", "image",  "found_ip", "found_mode", "changed",
                                   "own_ip", "kernel", "boot",     "apps",       "outcome",
                                   "detail", "time"};

std::string Joined(const std::vector<std::string>& vec, const char* pszBetween) {
    std::string str;
    for (const std::string& strItem : vec) {
        str += (str.empty() ? "" : pszBetween) + strItem;
    }
    return str;
}

std::string AppsText(const SAsBuiltRow& row) {
    std::vector<std::string> vec;
    for (const auto& [strName, strVersion] : row.vecApps) {
        vec.push_back(strName + " " + strVersion);
    }
    return Joined(vec, "; ");
}

std::string TimeText(const SAsBuiltRow& row) {
    return row.nTime != 0 ? FormatLogTime(row.nTime) : "";
}

std::vector<std::string> CsvCells(const SAsBuiltRow& row) {
    const SManifestLine& line = row.line;
    return {std::to_string(line.nLine),
            line.strMac,
            line.strIpText,
            line.strSerial,
            line.strRemarks,
            line.strParams,
            line.strImage,
            row.strFoundIp,
            row.strFoundMode,
            Joined(row.vecChanged, ";"),
            row.strOwnIp,
            row.strKernel,
            row.strBoot,
            AppsText(row),
            row.strOutcome,
            row.strDetail,
            TimeText(row)};
}

// A cell as CSV writes it: quoted when it holds a comma, a quote or a line break.
std::string CsvCell(const std::string& str) {
    if (str.find_first_of(",\"\r\n") == std::string::npos) {
        return str;
    }
    std::string strOut = "\"";
    for (char c : str) {
        strOut += c == '"' ? "\"\"" : std::string(1, c);
    }
    return strOut + "\"";
}

CJson RowJson(const SAsBuiltRow& row) {
    const SManifestLine& line = row.line;
    CJson json = CJson::Object();
    json.Set("line", CJson::Int(line.nLine));
    json.Set("mac", CJson::Str(line.strMac));
    json.Set("ip", CJson::Str(line.strIpText));
    json.Set("serial", CJson::Str(line.strSerial));
    json.Set("remarks", CJson::Str(line.strRemarks));
    json.Set("params", CJson::Str(line.strParams));
    json.Set("image", CJson::Str(line.strImage));
    CJson& jsonFound = json["found"] = CJson::Object();
    jsonFound.Set("answered", CJson::Bool(row.bAnswered));
    jsonFound.Set("ip", CJson::Str(row.strFoundIp));
    jsonFound.Set("mode", CJson::Str(row.strFoundMode));
    CJson& jsonChanged = json["changed"] = CJson::Array();
    for (const std::string& str : row.vecChanged) {
        jsonChanged.Push(CJson::Str(str));
    }
    CJson& jsonRead = json["readBack"] = CJson::Object();
    jsonRead.Set("ip", CJson::Str(row.strOwnIp));
    jsonRead.Set("kernel", CJson::Str(row.strKernel));
    jsonRead.Set("boot", CJson::Str(row.strBoot));
    CJson& jsonApps = jsonRead["apps"] = CJson::Array();
    for (const auto& [strName, strVersion] : row.vecApps) {
        CJson jsonApp = CJson::Object();
        jsonApp.Set("name", CJson::Str(strName));
        jsonApp.Set("version", CJson::Str(strVersion));
        jsonApps.Push(jsonApp);
    }
    json.Set("outcome", CJson::Str(row.strOutcome));
    json.Set("detail", CJson::Str(row.strDetail));
    json.Set("time", CJson::Str(TimeText(row)));
    return json;
}
} // namespace

std::string AsBuiltCsv(const std::vector<SAsBuiltRow>& vecRows) {
    std::string strOut;
    for (const char* psz : CSV_COLUMNS) {
        strOut += (strOut.empty() ? "" : ",") + std::string(psz);
    }
    strOut += "\r\n";
    for (const SAsBuiltRow& row : vecRows) {
        std::string strLine;
        for (const std::string& strCell : CsvCells(row)) {
            strLine += (strLine.empty() ? "" : ",") + CsvCell(strCell);
        }
        strOut += strLine + "\r\n";
    }
    return strOut;
}

bool PutAsBuilt(SCtlContext& ctx, const std::vector<SAsBuiltRow>& vecRows,
                const std::string& strReport) {
    CJson& jsonNodes = ctx.result.json["nodes"] = CJson::Array();
    ctx.result.vecHeader = {"line", "MAC", "IP", "outcome", "changed", "detail"};
    int nOk = 0;
    int nMismatch = 0;
    int nFailed = 0;
    int nNotDone = 0;
    for (const SAsBuiltRow& row : vecRows) {
        jsonNodes.Push(RowJson(row));
        ctx.result.vecRows.push_back({std::to_string(row.line.nLine), row.line.strMac,
                                      row.line.strIpText, row.strOutcome,
                                      Joined(row.vecChanged, ","), row.strDetail});
        nOk += row.strOutcome == ASBUILT_OK ? 1 : 0;
        nMismatch += row.strOutcome == ASBUILT_MISMATCH ? 1 : 0;
        nFailed += row.strOutcome == ASBUILT_FAILED ? 1 : 0;
        nNotDone += row.strOutcome == ASBUILT_NOT_DONE ? 1 : 0;
    }
    CJson& jsonCounts = ctx.result.json["counts"] = CJson::Object();
    jsonCounts.Set("ok", CJson::Int(nOk));
    jsonCounts.Set("mismatch", CJson::Int(nMismatch));
    jsonCounts.Set("failed", CJson::Int(nFailed));
    jsonCounts.Set("notDone", CJson::Int(nNotDone));
    char sz[160];
    std::snprintf(sz, sizeof sz, TXT_COMMISSION_TALLY, nOk, nMismatch, nFailed, nNotDone);
    ctx.result.vecLines.emplace_back(sz);
    if (strReport.empty()) {
        return true;
    }
    std::string strError;
    const std::string strCsv = AsBuiltCsv(vecRows);
    int nErr = ctx.args.bForce ? WriteFileAtomic(strReport, strCsv, 0666, strError)
                               : WriteNewFileAtomic(strReport, strCsv, 0666, strError);
    if (nErr == EEXIST && !ctx.args.bForce) {
        return BadInput(ctx, TXT_CTL_ERR_EXISTS, strReport);
    }
    if (nErr != 0) {
        ctx.ui.Report(CTL_EXIT_FAILED, Format(TXT_CTL_ERR_WRITE, strReport) + ": " + strError);
        return false;
    }
    ctx.result.json.Set("report", CJson::Str(strReport));
    return true;
}
