#pragma once
// What a command prints: a JSON value for --json, a table and lines for people.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// A JSON value built in order; objects keep their keys in insertion order so
// that the output is stable.
class CJson {
public:
    enum class EKind { Null, Bool, Int, Real, String, Array, Object };

    CJson() = default;
    static CJson Object() { return CJson(EKind::Object); }
    static CJson Array() { return CJson(EKind::Array); }
    static CJson Str(std::string str);
    static CJson Int(int64_t n);
    // A number with nDecimals places after the point; null when it is none
    // (an infinity or NaN).
    static CJson Real(double d, int nDecimals);
    static CJson Bool(bool b);

    // An object's member (replaced when the key is there already).
    CJson& Set(const std::string& strKey, CJson value);
    // An array's element.
    CJson& Push(CJson value);
    // The member of that key, added as null when missing.
    CJson& operator[](const std::string& strKey);

    EKind GetKind() const { return m_eKind; }
    std::string Dump() const;

private:
    explicit CJson(EKind eKind) : m_eKind(eKind) {}
    void DumpTo(std::string& strOut) const;

    EKind m_eKind = EKind::Null;
    bool m_bValue = false;
    int64_t m_nValue = 0;
    std::string m_strValue;
    std::vector<CJson> m_vecItems;
    std::vector<std::pair<std::string, CJson>> m_vecMembers;
};

// A text escaped for JSON (UTF-8 passes, control characters as \u00XX, a
// byte that is no part of a UTF-8 character as U+FFFD).
std::string JsonEscape(const std::string& str);

// Whether the text is well-formed UTF-8.
bool IsUtf8(const std::string& str);

// A text as it may reach a terminal: control characters (C0, DEL, C1) and
// bytes that are no UTF-8 shown escaped (\x1b, \u009b), so that a name from
// a node or a data file cannot drive the terminal. bKeepLineBreaks keeps
// line feeds (the manager's messages have several lines).
std::string TerminalText(const std::string& str, bool bKeepLineBreaks = false);

struct SCtlResult {
    CJson json = CJson::Object();
    std::vector<std::string> vecHeader; // empty: no table
    std::vector<std::vector<std::string>> vecRows;
    std::vector<std::string> vecLines; // after the table
    // What a stop left undone (the nodes not served, by MAC).
    std::vector<std::string> vecNotDone;
};

// The table with columns padded to their widest cell (in characters), then the lines.
std::string FormatCtlText(const SCtlResult& result);
