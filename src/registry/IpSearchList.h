#pragma once
#include <string>

// One address of the IP search: the dotted text, at most 15 characters.
class CIpSearchList {
public:
    std::string m_strIp;
};
