#pragma once
// Where the simulated nodes come from: a configuration file and generated nodes.
//
// The file has one statement per line; "#" starts a comment outside quotes.
//   defaults KEY=VALUE ...      settings for every node line that follows
//   node mac=MAC KEY=VALUE ...  one node; the keys are those of CSimNode::Set
// Values with spaces are quoted: board="MRV-620 REV.B". Example:
//   defaults restart=1500
//   node mac=0080D4000001 ip=192.168.1.10 user=admin password=secret
//   node mac=0080D4000002            (no ip: unaddressed, 192.168.200.254)
#include "SimControl.h"

#include <string>

bool SimLoadConfig(const std::string& strText, SimNodeList& nodes, std::string& strError);

// N nodes with MACs counting up from macFirst; the last nUnaddressed keep the
// unset address, the others get addresses counting up from dwFirstIp, leaving
// out host parts 0 and 255 and the unset address.
bool SimGenerateNodes(size_t nCount, size_t nUnaddressed, uint32_t dwFirstIp,
                      const SimMac& macFirst, SimNodeList& nodes, std::string& strError);

// Splits "a=1 b=\"x y\"" into key/value pairs; quotes stay on the value.
bool SimSplitSettings(const std::string& strText,
                      std::vector<std::pair<std::string, std::string>>& vec, std::string& strError);
