// mrvctl's JSON writer and its terminal form of texts, on any texts (names,
// remarks and listings from nodes and the data file, arguments that are no
// UTF-8) in any nesting.
// Oracles: every document parses under a strict reader, names no key twice
// and holds each text as it was (its bytes that are no UTF-8 as U+FFFD) and
// each number exactly (one with places as written, one that is none as null);
// the terminal form is UTF-8 without a control character, and the text
// table is too.
#include "FuzzSupport.h"
#include "JsonReader.h"
#include "StrictJson.h"
#include "cli/CtlOutput.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iomanip>
#include <limits>
#include <locale>
#include <sstream>

namespace {
// A text as the writer must give it: UTF-8 as it is, every byte that starts
// no well-formed character as U+FFFD.
std::string AsWritten(const std::string& str) {
    std::string strOut;
    for (size_t i = 0; i < str.size();) {
        size_t nLen = 1;
        while (nLen <= 4 && !CJsonValue::IsUtf8(str.substr(i, nLen))) {
            ++nLen;
        }
        if (nLen <= 4 && i + nLen <= str.size()) {
            strOut += str.substr(i, nLen);
            i += nLen;
        } else {
            strOut += "\xEF\xBF\xBD";
            ++i;
        }
    }
    return strOut;
}

void CheckText(const nlohmann::json& json, const std::string& strText) {
    FUZZ_CHECK(json.is_string(), "a text did not come back as a string");
    FUZZ_CHECK(json.get_ref<const std::string&>() == AsWritten(strText),
               "a text came back otherwise: " + Shown(strText) + " as " +
                   Shown(json.get_ref<const std::string&>()));
}

// What a written value must read back as: the model built beside it.
struct SModel {
    CJson::EKind eKind = CJson::EKind::Null;
    bool b = false;
    int64_t n = 0;
    double d = 0;
    int nDecimals = 0;
    std::string str;
    std::vector<SModel> vecItems;
    std::vector<std::string> vecKeys; // a key set again (as written) keeps its place
    std::vector<SModel> vecValues;    // beside vecKeys
};

CJson Build(FuzzedDataProvider& fdp, int nDepth, SModel& model) {
    switch (nDepth > 3 ? fdp.ConsumeIntegralInRange(0, 4) : fdp.ConsumeIntegralInRange(0, 6)) {
    case 0:
        return CJson();
    case 1:
        model.eKind = CJson::EKind::Bool;
        model.b = fdp.ConsumeBool();
        return CJson::Bool(model.b);
    case 2:
        model.eKind = CJson::EKind::Int;
        model.n = fdp.ConsumeIntegral<int64_t>();
        return CJson::Int(model.n);
    case 3:
        model.eKind = CJson::EKind::String;
        model.str = fdp.ConsumeRandomLengthString(64);
        return CJson::Str(model.str);
    case 4: {
        model.eKind = CJson::EKind::Real;
        switch (fdp.ConsumeIntegralInRange(0, 7)) {
        case 0:
            model.d = std::numeric_limits<double>::quiet_NaN();
            break;
        case 1:
            model.d = fdp.ConsumeBool() ? HUGE_VAL : -HUGE_VAL;
            break;
        default:
            model.d = fdp.ConsumeFloatingPoint<double>();
            break;
        }
        model.nDecimals = fdp.ConsumeIntegralInRange(0, 17);
        return CJson::Real(model.d, model.nDecimals);
    }
    case 5: {
        model.eKind = CJson::EKind::Array;
        CJson json = CJson::Array();
        for (int i = fdp.ConsumeIntegralInRange(0, 4); i > 0; --i) {
            model.vecItems.emplace_back();
            json.Push(Build(fdp, nDepth + 1, model.vecItems.back()));
        }
        return json;
    }
    default: {
        model.eKind = CJson::EKind::Object;
        CJson json = CJson::Object();
        for (int i = fdp.ConsumeIntegralInRange(0, 4); i > 0; --i) {
            std::string strKey = fdp.ConsumeRandomLengthString(16);
            SModel member;
            json.Set(strKey, Build(fdp, nDepth + 1, member));
            // Keys written alike are one member, the later value replacing the earlier.
            auto it = std::find_if(
                model.vecKeys.begin(), model.vecKeys.end(),
                [&](const std::string& str) { return AsWritten(str) == AsWritten(strKey); });
            if (it != model.vecKeys.end()) {
                model.vecValues[static_cast<size_t>(it - model.vecKeys.begin())] =
                    std::move(member);
            } else {
                model.vecKeys.push_back(strKey);
                model.vecValues.push_back(std::move(member));
            }
        }
        return json;
    }
    }
}

void Compare(const SModel& model, const nlohmann::json& parsed) {
    switch (model.eKind) {
    case CJson::EKind::Null:
        FUZZ_CHECK(parsed.is_null(), "null came back otherwise");
        break;
    case CJson::EKind::Bool:
        FUZZ_CHECK(parsed.is_boolean() && parsed.get<bool>() == model.b,
                   "a flag came back otherwise");
        break;
    case CJson::EKind::Int:
        FUZZ_CHECK((parsed.is_number_integer() && parsed.get<int64_t>() == model.n),
                   "the number " + std::to_string(model.n) + " came back otherwise");
        break;
    case CJson::EKind::Real:
        if (!std::isfinite(model.d)) {
            FUZZ_CHECK(parsed.is_null(), "a number that is none came back otherwise");
        } else {
            // The value as written with that many places, read back as a reader would.
            std::ostringstream out;
            out.imbue(std::locale::classic());
            out << std::fixed << std::setprecision(model.nDecimals) << model.d;
            FUZZ_CHECK(parsed.is_number() &&
                           parsed.get<double>() == std::strtod(out.str().c_str(), nullptr),
                       "the number " + out.str() + " came back as " + parsed.dump());
        }
        break;
    case CJson::EKind::String:
        CheckText(parsed, model.str);
        break;
    case CJson::EKind::Array:
        FUZZ_CHECK(parsed.is_array() && parsed.size() == model.vecItems.size(),
                   "an array came back otherwise");
        for (size_t i = 0; i < model.vecItems.size(); ++i) {
            Compare(model.vecItems[i], parsed[i]);
        }
        break;
    case CJson::EKind::Object: {
        FUZZ_CHECK(parsed.is_object() && parsed.size() == model.vecKeys.size(),
                   "an object came back with another number of members");
        for (size_t i = 0; i < model.vecKeys.size(); ++i) {
            auto it = parsed.find(AsWritten(model.vecKeys[i]));
            FUZZ_CHECK(it != parsed.end(), "a key went missing: " + Shown(model.vecKeys[i]));
            Compare(model.vecValues[i], it.value());
        }
        break;
    }
    }
}

void CheckTerminal(const std::string& strText) {
    for (bool bKeep : {false, true}) {
        const std::string strOut = TerminalText(strText, bKeep);
        FUZZ_CHECK(CJsonValue::IsUtf8(strOut), "the terminal form is no UTF-8: " + Shown(strOut));
        for (size_t i = 0; i < strOut.size(); ++i) {
            auto by = static_cast<unsigned char>(strOut[i]);
            FUZZ_CHECK((by >= 0x20 && by != 0x7F) || (bKeep && by == '\n'),
                       "a control character reaches the terminal: " + Shown(strOut));
            // C1 controls are U+0080..U+009F: C2 80..C2 9F in UTF-8.
            FUZZ_CHECK(!(by == 0xC2 && i + 1 < strOut.size() &&
                         static_cast<unsigned char>(strOut[i + 1]) <= 0x9F),
                       "a C1 control reaches the terminal: " + Shown(strOut));
        }
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
    FuzzedDataProvider fdp(pData, nSize);
    if (fdp.ConsumeBool()) {
        // Texts alone: the writer's string form, the terminal form, a table.
        std::vector<std::string> vecTexts;
        while (fdp.remaining_bytes() > 0 && vecTexts.size() < 8) {
            vecTexts.push_back(fdp.ConsumeRandomLengthString(128));
        }
        SCtlResult result;
        result.vecHeader = {"A", "B"};
        for (const std::string& strText : vecTexts) {
            CJson json = CJson::Object();
            json.Set(strText, CJson::Str(strText));
            std::string strWhy;
            nlohmann::json parsed = ParseStrictJson(json.Dump(), strWhy);
            FUZZ_CHECK(!parsed.is_discarded(), "not JSON (" + strWhy + "): " + Shown(json.Dump()));
            FUZZ_CHECK(parsed.size() == 1, "one member became another number");
            CheckText(parsed.begin().value(), strText);
            CheckText(nlohmann::json(parsed.begin().key()), strText);
            CheckTerminal(strText);
            result.vecRows.push_back({strText, strText});
            result.vecLines.push_back(strText);
        }
        const std::string strTable = FormatCtlText(result);
        FUZZ_CHECK(CJsonValue::IsUtf8(strTable), "the text table is no UTF-8");
        for (char c : strTable) {
            auto by = static_cast<unsigned char>(c);
            FUZZ_CHECK((by >= 0x20 && by != 0x7F) || c == '\n',
                       "a control character in the text table: " + Shown(strTable));
        }
        return 0;
    }
    SModel model;
    const CJson json = Build(fdp, 0, model);
    const std::string strDump = json.Dump();
    std::string strWhy;
    const nlohmann::json parsed = ParseStrictJson(strDump, strWhy);
    FUZZ_CHECK(!parsed.is_discarded(), "not JSON (" + strWhy + "): " + Shown(strDump));
    Compare(model, parsed);
    return 0;
}
