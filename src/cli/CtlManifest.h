#pragma once
// A commissioning manifest: a CSV file (UTF-8 or CP932) with a header row,
// one node a line, read and checked before anything is sent.
#include "params/NodeParam.h"
#include "registry/OXParam.h"

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

struct SManifestLine {
    int nLine = 0;             // where the line starts in the file; the header is line 1
    std::string strMacText;    // as written
    std::string strMac;        // 12 upper-case hex digits; empty when malformed
    std::string strIpText;     // as written
    uint32_t dwIp = 0;         // host order; 0 when malformed
    std::string strSerial;     // UTF-8
    std::string strRemarks;    // UTF-8
    std::string strParams;     // as written; empty: none
    std::string strImage;      // as written; empty: none
    std::string strParamsPath; // relative names taken from the manifest's folder
    std::string strImagePath;
};

struct SManifestProblem {
    int nLine = 0; // 0: the file as a whole
    std::string strText;
};

struct SManifest {
    // Whether the header has these columns: without one the registry's
    // serial numbers (remarks) stay as they are.
    bool bSerialColumn = false;
    bool bRemarksColumn = false;
    std::vector<SManifestLine> vecLines;
    std::vector<SManifestProblem> vecProblems;
};

// The text of a manifest in UTF-8: a byte-order mark dropped; a text that is
// no UTF-8 read as CP932. False when it is neither.
bool ManifestTextToUtf8(const std::string& strRaw, std::string& strUtf8);

// The lines of the manifest text strUtf8 with the problems of their form
// (columns, fields, MACs, addresses, texts the registry cannot hold); file
// names are resolved against strDir (with its trailing slash).
SManifest ParseManifest(const std::string& strUtf8, const std::string& strDir);

// What the lines are checked against.
struct SPlantFacts {
    uint32_t dwMask = 0;
    uint32_t dwGateway = 0;
    uint32_t dwDefaultDest = 0;          // the default parameters' destination
    std::vector<COXParam> vecRegistered; // the current network's nodes
    // The PC's own addresses, those towards an address first.
    std::function<std::vector<uint32_t>(uint32_t)> fnPcAddresses;
    // Loads a parameter file: false with the reason.
    std::function<bool(const std::string&, NODEPARAM&, std::string&)> fnLoadParams;
    // Checks an image: false with the reason.
    std::function<bool(const std::string&, std::string&)> fnCheckImage;
};

// Adds the problems of the lines against each other and against the plant:
// duplicate MACs and addresses, addresses outside the subnet, its network or
// broadcast address, the PC's, the destination's, the gateway's, a
// registered node's that the manifest does not name; unreadable parameter
// files and images.
void CheckManifest(SManifest& manifest, const SPlantFacts& facts);

// Whether the node's applications (name, version) list the image at strPath:
// under the name its header gives or the file's name with or without its
// extension (a node may keep it under the name it was sent as), with the
// header's version when it carries one.
bool IsImageListed(const std::string& strPath,
                   const std::vector<std::pair<std::string, std::string>>& vecApps);
