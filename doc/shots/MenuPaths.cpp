// Every command of the main menu as the guide names it, one a line:
// "管理 → ｱﾌﾟﾘｹｰｼｮﾝﾀﾞｳﾝﾛｰﾄﾞ → 個別" (access keys and "..." left out).
// doc/check-guide looks for each in the guide.
#include "app/CommandTable.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {
std::string Plain(const char* psz) {
    std::string str = psz != nullptr ? psz : "";
    if (str.size() >= 3 && str.compare(str.size() - 3, 3, "...") == 0) {
        str.erase(str.size() - 3);
    }
    size_t nKey = str.find("(&");
    if (nKey != std::string::npos && str.find(')', nKey) == nKey + 3) {
        str.erase(nKey, 4);
    }
    // "(P)": a key the menu never took.
    if (str.size() >= 3 && str[str.size() - 3] == '(' && str.back() == ')') {
        str.erase(str.size() - 3);
    }
    if (size_t nAmp = str.find('&'); nAmp != std::string::npos) {
        str.erase(nAmp, 1);
    }
    return str;
}
} // namespace

int main() {
    std::vector<std::string> vecPath;
    for (const SMenuEntry& entry : GetMainMenu()) {
        switch (entry.eKind) {
        case SMenuEntry::Popup:
            vecPath.push_back(Plain(entry.pszText));
            break;
        case SMenuEntry::End:
            if (!vecPath.empty()) {
                vecPath.pop_back();
            }
            break;
        case SMenuEntry::Command: {
            const SCommand* pCommand = FindCommand(entry.nId);
            std::string strLine;
            for (const std::string& str : vecPath) {
                strLine += str + " → ";
            }
            std::printf("%s%s\n", strLine.c_str(),
                        Plain(pCommand ? pCommand->pszLabel : "").c_str());
            break;
        }
        case SMenuEntry::Separator:
            break;
        }
    }
    return 0;
}
