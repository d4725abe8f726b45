#pragma once
#include "registry/NetProperty.h"
#include "ui/DialogModel.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The checks the registration dialogs and the automatic assignment apply
// before they close. Each returns the first failing rule's message (UTF-8)
// and the control that gets the focus, or a pass. Texts are taken as typed;
// names and MACs are compared as the registry holds them (CP932 bytes).

// A new network: name, mask and gateway as typed, against the registered
// networks. On a pass dwMask and dwGateway hold the parsed values.
SCheck CheckNewNetwork(const std::string& strName, const std::string& strMask,
                       const std::string& strGateway,
                       const std::vector<std::unique_ptr<CNetProperty>>& arrNets, uint32_t& dwMask,
                       uint32_t& dwGateway);

// The base IP of automatic assignment, under the mask of network nCurNet and
// against the subnets of every other network. On a pass dwBaseIp holds the
// parsed value.
SCheck CheckBaseIp(const std::string& strBaseIp,
                   const std::vector<std::unique_ptr<CNetProperty>>& arrNets, int nCurNet,
                   uint32_t& dwBaseIp);

// Another address for node nSelf of model nModel, by the node dialog's
// address rules: a host's address, held by no other node (the unset address
// excepted). On a pass dwIp holds the parsed address.
SCheck CheckNodeAddress(const std::string& strIp, int nModel, const std::vector<COXParam>& arrNodes,
                        size_t nSelf, uint32_t& dwIp);

// A new node of model nModel, against the nodes of the current network.
// On a pass dwIp holds the parsed address the node is to get.
SCheck CheckNewNode(const std::string& strMac, const std::string& strIp, int nModel,
                    const std::vector<COXParam>& arrNodes, uint32_t& dwIp);
