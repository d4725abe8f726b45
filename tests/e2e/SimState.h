#pragma once
// What the simulator says of one node through its control channel, read
// into maps for the end-to-end tests' checks.
#include "RawNodeClient.h"

#include <map>
#include <sstream>
#include <string>

// The reply of STATE for one node, as key -> rest of line.
inline std::map<std::string, std::string> NodeState(CSimControlClient& control,
                                                    const std::string& strMac) {
    std::map<std::string, std::string> map;
    std::istringstream in(control.Request("STATE " + strMac));
    std::string strLine;
    while (std::getline(in, strLine)) {
        size_t nSpace = strLine.find(' ');
        if (nSpace != std::string::npos) {
            map[strLine.substr(0, nSpace)] = strLine.substr(nSpace + 1);
        }
    }
    return map;
}

// The "param" line of STATE: the fields that differ from the factory record.
inline std::map<std::string, std::string> ParamFields(const std::string& strLine) {
    std::map<std::string, std::string> map;
    std::istringstream in(strLine);
    std::string strWord;
    while (in >> strWord) {
        size_t nEq = strWord.find('=');
        if (nEq != std::string::npos) {
            map[strWord.substr(0, nEq)] = strWord.substr(nEq + 1);
        }
    }
    return map;
}
