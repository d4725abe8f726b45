#pragma once
// mrvctl commission: a plant made as its manifest says, node by node, and the
// as-built record of what was found, changed and read back.
#include "cli/CtlManifest.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct SCtlContext;

// Outcomes of a node in the record.
inline constexpr char ASBUILT_OK[] = "ok";
inline constexpr char ASBUILT_MISMATCH[] = "mismatch";
inline constexpr char ASBUILT_FAILED[] = "failed";
inline constexpr char ASBUILT_NOT_DONE[] = "not done";

// What changed on a node or in its registration.
inline constexpr char ASBUILT_REGISTERED[] = "registered";
inline constexpr char ASBUILT_SERIAL[] = "serial";
inline constexpr char ASBUILT_REMARKS[] = "remarks";
inline constexpr char ASBUILT_SETTINGS[] = "settings";
inline constexpr char ASBUILT_IMAGE[] = "image";

// One row of the as-built record: a manifest line and what became of its node.
struct SAsBuiltRow {
    SManifestLine line;
    bool bAnswered = false;   // found by the search
    std::string strFoundIp;   // where the search found it
    std::string strFoundMode; // the mode its settings reply named (UTF-8)
    std::vector<std::string> vecChanged;
    // Read back.
    std::string strOwnIp;
    std::string strKernel;
    std::string strBoot;
    std::vector<std::pair<std::string, std::string>> vecApps; // name, version (UTF-8)
    std::string strOutcome = ASBUILT_NOT_DONE;
    std::string strDetail; // the fields that differ, or why it failed
    int64_t nTime = 0;     // when its outcome was settled
};

void RunCommission(SCtlContext& ctx);

// The record into the command's output (JSON nodes and counts, a table),
// and into a new CSV file when strReport names one: false after its failure
// was reported.
bool PutAsBuilt(SCtlContext& ctx, const std::vector<SAsBuiltRow>& vecRows,
                const std::string& strReport);
// The record as CSV (UTF-8, CR LF), header first.
std::string AsBuiltCsv(const std::vector<SAsBuiltRow>& vecRows);
