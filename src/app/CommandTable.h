#pragma once
// Every command of the menus in one table: id, labels, prompt, enable rule
// and handler. The main menu and the node list's context menu are built from it.
#include <cstddef>
#include <functional>
#include <vector>

class COrvixDoc;
class CParamFile;
class COXParam;

inline constexpr int ID_APP_EXIT = 57665;
inline constexpr int ID_NETWORK_NEW = 32787;
inline constexpr int ID_NETWORK_PROPERTIES = 32772;
inline constexpr int ID_NETWORK_DELETE = 32788;
inline constexpr int ID_NODE_SEARCH = 32782;
inline constexpr int ID_NODE_REFRESH_SEARCH = 32816;
inline constexpr int ID_NODE_IP_SEARCH = 32814;
inline constexpr int ID_NODE_SEARCH_INTERFACE = 32840;
inline constexpr int ID_NODE_AUTO_SET = 32785;
inline constexpr int ID_NODE_SET = 32783;
inline constexpr int ID_NODE_GET = 32784;
inline constexpr int ID_NODE_CHANGE_MODE = 32786;
inline constexpr int ID_APP_DOWNLOAD_NODE = 32820;
inline constexpr int ID_APP_DOWNLOAD_BATCH = 32821;
inline constexpr int ID_KERNEL_DOWNLOAD_NODE = 32822;
inline constexpr int ID_KERNEL_DOWNLOAD_BATCH = 32823;
inline constexpr int ID_NODE_VERSION_INFO = 32818;
inline constexpr int ID_NODE_FILE_INFO = 32817;
inline constexpr int ID_NODE_DELETE_APP = 32825;
inline constexpr int ID_NODE_NEW = 32789;
inline constexpr int ID_NODE_PROPERTIES = 32793;
inline constexpr int ID_NODE_DELETE = 32790;
inline constexpr int ID_DEFAULT_PARAM = 32791;
inline constexpr int ID_INIT_NODE = 32796;
inline constexpr int ID_INIT_MODEL = 32797;
inline constexpr int ID_VIEW_STATUS_BAR = 59393;
inline constexpr int ID_VIEW_OPERATION_LOG = 32841;
inline constexpr int ID_APP_ABOUT = 57664;
inline constexpr int ID_HELP = 57670;
// Network entries of the network menu: this plus the network's position.
inline constexpr int ID_NETWORK_FIRST = 12345;

// When a command can be chosen.
enum class EEnable {
    Always,
    Network,          // a network is current
    Rows,             // the list has rows
    Selection,        // a row is selected
    SelectionOnIp,    // ... whose IP is not 192.168.200.254
    SelectionAddress, // ... whose node has an address
};

// What the enable rules look at.
struct SCommandState {
    bool bNetwork = false;
    size_t nRows = 0;
    const COXParam* pSelected = nullptr; // node of the first selected row
};
bool IsCommandEnabled(EEnable eRule, const SCommandState& state);

// What a handler works on.
struct SCommandContext {
    COrvixDoc& doc;
    CParamFile& paramFile; // the default parameters and their INI file
    int nSelected;         // first selected row, -1 none
};
using CommandHandler = std::function<void(SCommandContext&)>;

struct SCommand {
    int nId = 0;
    const char* pszLabel = nullptr;      // main menu, with its access key
    const char* pszPopupLabel = nullptr; // context menu; nullptr: not there
    const char* pszPrompt = nullptr;     // shown while highlighted; nullptr: none
    EEnable eEnable = EEnable::Always;
    CommandHandler fnHandler; // empty for the frame's own commands
    bool bFrame = false;      // exit, status bar, version box, help
};

const std::vector<SCommand>& GetCommandTable();
const SCommand* FindCommand(int nId);
// The node list's double click on a row: "設定取得" of that row.
void OnNodeDoubleClick(SCommandContext& ctx);

// A menu as a flat list: a Popup entry opens a submenu that runs to its End.
struct SMenuEntry {
    enum EKind { Command, Separator, Popup, End } eKind = Command;
    int nId = 0;                   // Command
    const char* pszText = nullptr; // Popup title; a command's label comes from the table
};
const std::vector<SMenuEntry>& GetMainMenu();
// The "管理" items without access keys.
const std::vector<SMenuEntry>& GetContextMenu();
