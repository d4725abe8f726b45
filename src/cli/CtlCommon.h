#pragma once
// What the commands of mrvctl share: the context, node and network lookup,
// messages for bad input, and the listing output.
#include "cli/CtlCommands.h"
#include "cli/CtlUi.h"

#include <cstdint>
#include <string>
#include <vector>

class COXParam;
class CRollout;
struct SRolloutNode;
struct SRolloutPlan;

std::string Format(const char* pszFormat, const std::string& str);
std::string Utf8(const std::string& strCp932);
// Reports bad input (status 2) with the text formatted; returns false.
bool BadInputText(CCtlUi& ui, const char* pszFormat, const std::string& str);
bool BadInput(SCtlContext& ctx, const char* pszFormat, const std::string& str);
bool IsHexMac(const std::string& str);
std::string Upper(std::string str);
// Whether there is a current network; reported when not.
bool HasCurrentNetwork(SCtlContext& ctx);
// A node of the current network by its MAC, its address or its row number
// (from 1, as listed).
bool FindNode(SCtlContext& ctx, const std::string& strName, int& nIndex);
// The MACs of several nodes, all found before anything is done.
bool FindNodes(SCtlContext& ctx, const std::vector<std::string>& vecNames,
               std::vector<std::string>& vecMacs);
// The first node of the current network with that address, as the batch finds it.
int IndexOfAddress(COrvixDoc& doc, uint32_t dwIp);
int IndexOfMac(COrvixDoc& doc, const std::string& strMac);
// The current network's nodes as the manager's list shows them; bAnswers adds
// whether each answered the last search.
void ListNodes(SCtlContext& ctx, bool bAnswers = false);
// The network of that name (UTF-8), by its position.
bool FindNetwork(SCtlContext& ctx, const std::string& strName, int& nIndex);
void SelectNetworkAt(SCtlContext& ctx, int nIndex);
// What a run over many nodes does about a silent one: the option's answer,
// and the node's MAC noted.
CCtlUi::FnAnswer SilenceAnswer(SCtlContext& ctx, std::vector<std::string>& vecSilent);
// A stop was asked for: the nodes from nFirst on are noted as not done and
// the run over them ends here (true).
bool StopsBefore(SCtlContext& ctx, const std::vector<std::string>& vecMacs, size_t nFirst);
// The listing dialog: its text kept, then closed.
CCtlUi::FnAnswer KeepListing(SCtlContext& ctx, std::string& strListing);

// --defaults-file: the defaults of that parameter file instead of the
// manager's DefParam.ini (which must exist, unless the defaults are being
// written). False after the refusal.
bool UseDefaultsFile(SCtlContext& ctx);

// The command families.
void RunNetworks(SCtlContext& ctx);
void RunNodes(SCtlContext& ctx);
void RunSearch(SCtlContext& ctx);
void RunAutoSet(SCtlContext& ctx);
void RunGetParams(SCtlContext& ctx);
void RunSetParams(SCtlContext& ctx);
void RunDefaults(SCtlContext& ctx);
void RunMode(SCtlContext& ctx);
void RunInit(SCtlContext& ctx);
void RunDownload(SCtlContext& ctx);
// download --parallel: the rollout over vecMacs (checked, each with an address of its own).
void RunRollout(SCtlContext& ctx, const std::string& strPath,
                const std::vector<std::string>& vecMacs, int nKind);
// Runs a rollout with its lines on a terminal and a log line per node it touched.
void RunWatchedRollout(SCtlContext& ctx, CRollout& rollout, const SRolloutPlan& plan);
// A rollout node's end: the exit status it means, and why it failed on one line.
int RolloutNodeExit(const SRolloutNode& node, int nStopReason);
std::string RolloutReason(const SRolloutNode& node);
void RunFiles(SCtlContext& ctx);
void RunVersion(SCtlContext& ctx);
void RunDeleteApp(SCtlContext& ctx);
