// The INI layer on any file, and the default parameters changed by
// "defaults --set KEY=VALUE" on a parameter file read from the input.
// Oracles: a value written to an INI reads back (up to its first line break),
// from memory and from the file saved, and every other key reads as before;
// a saved file is what the profile says it holds; a --set that succeeded
// shows its text value as given, and the same --set again changes nothing in
// the file; a refused --set leaves the file as it was; nothing outside the
// scratch folder changes.
#include "FuzzDoc.h"
#include "FuzzSupport.h"
#include "cli/CtlArgs.h"
#include "cli/CtlCommands.h"
#include "cli/CtlParamKeys.h"
#include "params/ParamFile.h"
#include "platform/Profile.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <strings.h>

namespace {
const char INI_NAME[] = "DefParam.ini";
const std::string MISSING = "\x01missing";

std::vector<std::string> Sections() {
    return {PARAMINI_SECTION_PARAM, PARAMINI_SECTION_APP, "Other"};
}

std::vector<std::string> Keys() {
    std::vector<std::string> vec = {"Timeout", "Retrycnt_GetPrm", "Timeout_Search", "x"};
    for (const SCtlParamKey& key : GetCtlParamKeys()) {
        vec.push_back(key.strKey);
    }
    return vec;
}

// A name the program could use (letters, digits, '_' and '-') as it is;
// anything else picks a known name.
std::string Name(const std::string& str, const std::vector<std::string>& vecKnown) {
    bool bPlain = !str.empty() && std::all_of(str.begin(), str.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-';
    });
    if (bPlain) {
        return str;
    }
    size_t nSum = 0;
    for (char c : str) {
        nSum += static_cast<unsigned char>(c);
    }
    return vecKnown[nSum % vecKnown.size()];
}

using Values = std::map<std::pair<std::string, std::string>, std::string>;

Values ReadAll(const CProfile& profile) {
    Values map;
    for (const std::string& strSection : Sections()) {
        for (const std::string& strKey : Keys()) {
            map[{strSection, strKey}] = profile.GetString(strSection, strKey, MISSING, 1 << 16);
        }
    }
    return map;
}

// Input: the file up to a NUL, then writes, each its section, key and value
// ended by NULs.
void CheckIniLayer(CInputReader& in) {
    CFuzzScratch& scratch = CFuzzScratch::Get();
    const std::string strPath = scratch.File("layer.ini");
    WriteWholeFile(strPath, in.Until('\0'));
    CProfile profile;
    FUZZ_CHECK(profile.Load(strPath), "a plain file could not be read");
    std::map<std::pair<std::string, std::string>, std::string> mapWritten;
    for (int i = 0; i < 4 && (i == 0 || !in.AtEnd()); ++i) {
        const std::string strSection = Name(in.Until('\0'), Sections());
        const std::string strKey = Name(in.Until('\0'), Keys());
        const std::string strValue = in.Until('\0');
        const std::string strExpected = strValue.substr(0, strValue.find_first_of("\r\n"));
        Values mapBefore = ReadAll(profile);
        profile.WriteString(strSection, strKey, strValue);
        FUZZ_CHECK(profile.GetString(strSection, strKey, MISSING, 1 << 16) == strExpected,
                   "[" + strSection + "] " + strKey + "=" + Shown(strValue) + " reads back as " +
                       Shown(profile.GetString(strSection, strKey, MISSING, 1 << 16)));
        for (const auto& [pair, strOld] : ReadAll(profile)) {
            if (::strcasecmp(pair.first.c_str(), strSection.c_str()) != 0 ||
                ::strcasecmp(pair.second.c_str(), strKey.c_str()) != 0) {
                FUZZ_CHECK(strOld == mapBefore[pair],
                           "writing " + strKey + " changed [" + pair.first + "] " + pair.second);
            }
        }
        mapWritten[{strSection, strKey}] = strExpected;
    }
    const Values mapMemory = ReadAll(profile);
    FUZZ_CHECK(profile.Save(), "the profile could not be saved");
    FUZZ_CHECK(ReadWholeFile(strPath) == profile.GetText(),
               "the file is not what the profile holds");
    CProfile reloaded;
    FUZZ_CHECK(reloaded.Load(strPath), "the saved file could not be read");
    FUZZ_CHECK(ReadAll(reloaded) == mapMemory, "the saved file reads otherwise than the profile");
    for (const auto& [pair, strValue] : mapWritten) {
        std::string strRead = reloaded.GetString(pair.first, pair.second, MISSING, 1 << 16);
        (void)strValue;
        FUZZ_CHECK(strRead != MISSING, "a written key is missing from the file");
    }
}

bool IsTextKey(const std::string& strKey) {
    static const char* const s_apsz[] = {"ObjId",   "GetComm", "SetComm", "TrapComm", "Location",
                                         "Contact", "Name",    "User",    "Passw"};
    for (const char* psz : s_apsz) {
        if (::strcasecmp(psz, strKey.c_str()) == 0) {
            return true;
        }
    }
    return (strKey.size() == 4 && (::strncasecmp(strKey.c_str(), "Sp", 2) == 0 ||
                                   ::strncasecmp(strKey.c_str(), "Gi", 2) == 0));
}

// "defaults --set ..." as mrvctl runs it; the exit status and the params shown.
int RunDefaults(const std::vector<std::string>& vecSets,
                std::map<std::string, std::string>& mapShown) {
    CFuzzScratch& scratch = CFuzzScratch::Get();
    std::vector<std::string> vecArgs = {"mrvctl", "defaults"};
    for (const std::string& str : vecSets) {
        vecArgs.push_back("--set");
        vecArgs.push_back(str);
    }
    SCtlArgs args;
    std::string strError;
    if (ParseCtlArgs(vecArgs, args, strError) != CTL_EXIT_OK) {
        return CTL_EXIT_BAD_INPUT;
    }
    SFuzzDoc doc;
    CParamFile paramFile;
    paramFile.m_strPath = scratch.File(INI_NAME);
    paramFile.LoadParams();
    SCtlResult result;
    SCtlContext ctx{*doc.pDoc, paramFile, doc.ui, args, result};
    RunCtlCommand(ctx);
    mapShown.clear();
    for (const auto& [strKey, strValue] : RenderParamFile(paramFile.m_param)) {
        mapShown[strKey] = strValue;
    }
    return doc.ui.GetExit();
}

// Input: KEY=VALUE lines up to an empty line (an unknown key picks a known
// one), then the parameter file.
void CheckDefaults(CInputReader& in) {
    CFuzzScratch& scratch = CFuzzScratch::Get();
    const std::string strPath = scratch.File(INI_NAME);
    std::vector<std::string> vecKnown;
    for (const SCtlParamKey& key : GetCtlParamKeys()) {
        vecKnown.push_back(key.strKey);
    }
    std::vector<std::string> vecSets;
    for (std::string strLine; vecSets.size() < 4 && !(strLine = in.Until('\n')).empty();) {
        size_t nEq = strLine.find('=');
        std::string strKey = strLine.substr(0, nEq);
        if (FindCtlParamKey(strKey) == nullptr) {
            strKey = Name("?" + strKey, vecKnown);
        }
        // A command-line argument ends at its first NUL.
        std::string strValue = nEq == std::string::npos ? "" : strLine.substr(nEq + 1);
        vecSets.push_back(strKey + "=" + strValue.substr(0, strValue.find('\0')));
    }
    WriteWholeFile(strPath, in.Rest());
    const std::string strBefore = ReadWholeFile(strPath);
    std::map<std::string, std::string> mapShown;
    if (RunDefaults(vecSets, mapShown) != CTL_EXIT_OK) {
        FUZZ_CHECK(ReadWholeFile(strPath) == strBefore, "a refused --set changed the file");
        return;
    }
    std::map<std::string, std::string> mapLast; // a key set again: the last value counts
    for (const std::string& strSet : vecSets) {
        size_t nEq = strSet.find('=');
        const SCtlParamKey* pKey = FindCtlParamKey(strSet.substr(0, nEq));
        mapLast[pKey->strKey] = strSet.substr(nEq + 1);
    }
    for (const auto& [strKey, strValue] : mapLast) {
        if (IsTextKey(strKey)) {
            FUZZ_CHECK(mapShown[strKey] == strValue, strKey + "=" + Shown(strValue) +
                                                         " was set, the file holds " +
                                                         Shown(mapShown[strKey]));
        }
    }
    const std::string strAfter = ReadWholeFile(strPath);
    std::map<std::string, std::string> mapAgain;
    FUZZ_CHECK(RunDefaults(vecSets, mapAgain) == CTL_EXIT_OK,
               "the same --set failed the second time");
    FUZZ_CHECK(ReadWholeFile(strPath) == strAfter && mapAgain == mapShown,
               "the same --set changed the file again: the values did not read back");
}
} // namespace

// Input: a mode byte (odd: the INI layer, even: --set), then its part.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
    CInputReader in(pData, nSize);
    CFuzzScratch& scratch = CFuzzScratch::Get();
    scratch.Clear({"home", "run", "tmp"});
    if ((in.Byte() & 1) != 0) {
        CheckIniLayer(in);
    } else {
        CheckDefaults(in);
    }
    for (const std::string& strName : scratch.List()) {
        FUZZ_CHECK(strName == "layer.ini" || strName == INI_NAME || strName == "home" ||
                       strName == "run" || strName == "tmp",
                   "a file was left behind: " + strName);
    }
    scratch.CheckOutsideUnchanged();
    return 0;
}
