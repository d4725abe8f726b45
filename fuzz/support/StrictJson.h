#pragma once
// JSON as a strict reader takes it (RFC 8259: UTF-8 only, escaped control
// characters, no trailing commas or leading zeros), and no object naming a
// key twice, which readers resolve differently.
#include <nlohmann/json.hpp>

#include <set>
#include <string>
#include <vector>

// The document, or discarded (is_discarded()) with strWhy when it is not one.
inline nlohmann::json ParseStrictJson(const std::string& strText, std::string& strWhy) {
    std::vector<std::set<std::string>> vecKeys; // one per open object
    bool bDuplicate = false;
    auto fnCheck = [&](int nDepth, nlohmann::json::parse_event_t event, nlohmann::json& parsed) {
        (void)nDepth;
        switch (event) {
        case nlohmann::json::parse_event_t::object_start:
            vecKeys.emplace_back();
            break;
        case nlohmann::json::parse_event_t::object_end:
            vecKeys.pop_back();
            break;
        case nlohmann::json::parse_event_t::key:
            if (!vecKeys.empty() && !vecKeys.back().insert(parsed.get<std::string>()).second) {
                bDuplicate = true;
            }
            break;
        default:
            break;
        }
        return true;
    };
    nlohmann::json json;
    try {
        json = nlohmann::json::parse(strText, fnCheck, true, false);
    } catch (const nlohmann::json::exception& e) {
        strWhy = e.what();
        return nlohmann::json(nlohmann::json::value_t::discarded);
    }
    if (bDuplicate) {
        strWhy = "an object names a key twice";
        return nlohmann::json(nlohmann::json::value_t::discarded);
    }
    return json;
}
