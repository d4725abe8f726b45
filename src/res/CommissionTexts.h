#pragma once
// Texts of mrvctl's commissioning from a manifest and of its reading of the
// operation log.

inline constexpr char TXT_CTL_HELP_COMMISSION[] =
    "Usage: mrvctl commission MANIFEST.csv [--check] [--report FILE.csv [--force]]\n"
    "                         [--parallel N]\n"
    "A plant from a list: a CSV file (UTF-8 or CP932) with a header row and the\n"
    "columns mac and ip, and optionally serial, remarks, params (a parameter file\n"
    "in the format of DefParam.ini) and image (an application image, .mot); file\n"
    "names are taken relative to the manifest.\n"
    "--check validates the manifest against the current network, the PC's own\n"
    "addresses, the destination address, the gateway and the registry, and sends\n"
    "nothing; every problem is named with its line (status 2).\n"
    "Otherwise each node is registered (serial, remarks), found by a broadcast\n"
    "search, given the manifest's address through the individual setting (on top\n"
    "of its parameter file, else of its own parameters), loaded with its image\n"
    "when it does not list it yet (with --parallel N by a rollout of each image,\n"
    "up to N nodes at once, each node checked by its versions), then read back\n"
    "and compared. Nothing is sent\n"
    "to a node that already is as the manifest says. The as-built record (one\n"
    "row per manifest line: what was found, changed and read back, the outcome\n"
    "and the time) goes into the output and with --report into a new CSV file\n"
    "(an existing one only with --force).\n";
inline constexpr char TXT_CTL_HELP_LOG[] =
    "Usage: mrvctl log [--since TIME] [--node MAC] [--network NAME]\n"
    "The operation log: one entry per change made to a node or the registry by\n"
    "mrvmgr or mrvctl, oldest first. TIME is YYYY-MM-DD[ HH:MM[:SS]] (local time,\n"
    "or with Z or an offset such as +09:00) or how long ago, as 30m, 12h, 7d.\n";

// Errors of the command line.
inline constexpr char TXT_CTL_ERR_BAD_MAC[] = "'%s' is not a MAC (12 hex digits)";
inline constexpr char TXT_CTL_ERR_CHECK_AND_REPORT[] =
    "--check sends nothing and writes no as-built record: leave out --report";
inline constexpr char TXT_CTL_ERR_BAD_SINCE[] =
    "'%s' is no time (YYYY-MM-DD[ HH:MM[:SS]], or 30m, 12h, 7d)";
inline constexpr char TXT_CTL_ERR_NO_LOG[] = "no per-user folder for the operation log (HOME?)";

// The manifest's own faults; each is said as "FILE:LINE: text".
inline constexpr char TXT_MANIFEST_LOCATION[] = "%s:%d: %s";
inline constexpr char TXT_MANIFEST_UNREADABLE[] = "cannot read the manifest '%s'";
inline constexpr char TXT_MANIFEST_ENCODING[] = "the manifest is neither UTF-8 nor CP932";
inline constexpr char TXT_MANIFEST_EMPTY[] = "the manifest has no header row";
inline constexpr char TXT_MANIFEST_UNKNOWN_COLUMN[] =
    "unknown column '%s' (mac, ip, serial, remarks, params, image)";
inline constexpr char TXT_MANIFEST_DOUBLE_COLUMN[] = "column '%s' is there twice";
inline constexpr char TXT_MANIFEST_MISSING_COLUMN[] = "the header has no column '%s'";
inline constexpr char TXT_MANIFEST_FIELD_COUNT[] = "%d fields where the header has %d";
inline constexpr char TXT_MANIFEST_OPEN_QUOTE[] = "a quoted field does not end";
inline constexpr char TXT_MANIFEST_NO_NODES[] = "the manifest names no node";
inline constexpr char TXT_MANIFEST_BAD_MAC[] =
    "'%s' is not a node's MAC (12 hex digits, not a group or zero MAC)";
inline constexpr char TXT_MANIFEST_BAD_IP[] = "'%s' is not an address of four decimal parts";
inline constexpr char TXT_MANIFEST_UNUSABLE_IP[] = "%s cannot be a node's own address";
inline constexpr char TXT_MANIFEST_UNSET_IP[] =
    "%s is the address of nodes without one (192.168.200.254)";
inline constexpr char TXT_MANIFEST_HOST_PART[] =
    "%s is the network or broadcast address of its subnet";
inline constexpr char TXT_MANIFEST_OUTSIDE[] = "%s is outside the network's subnet %s/%s";
inline constexpr char TXT_MANIFEST_PC[] = "%s is an address of this PC";
inline constexpr char TXT_MANIFEST_DEST[] =
    "%s is the destination address of the node's parameters";
inline constexpr char TXT_MANIFEST_GATEWAY[] = "%s is the network's gateway";
inline constexpr char TXT_MANIFEST_REGISTERED[] =
    "%s is the address of registered node %s, which the manifest does not name";
inline constexpr char TXT_MANIFEST_DOUBLE_MAC[] = "MAC %s is on line %d already";
inline constexpr char TXT_MANIFEST_DOUBLE_IP[] = "address %s is on line %d already";
inline constexpr char TXT_MANIFEST_BAD_TEXT[] =
    "the %s cannot be written in the manager's code page";
inline constexpr char TXT_MANIFEST_NO_PARAMS[] = "cannot read the parameter file '%s'";
inline constexpr char TXT_MANIFEST_NOT_PARAMS[] =
    "'%s' is not a parameter set (no section MRV-620_Parameter)";
inline constexpr char TXT_MANIFEST_BAD_IMAGE[] = "image '%s': %s";
inline constexpr char TXT_MANIFEST_CHECKED[] = "%d nodes, no problem found";

// What became of a node. %s: the MAC; the line number where given.
inline constexpr char TXT_COMMISSION_SILENT[] = "node %s (line %d) did not answer the search";
inline constexpr char TXT_COMMISSION_MISMATCH[] = "node %s (line %d) differs from the manifest: %s";
inline constexpr char TXT_COMMISSION_FAILED[] = "node %s (line %d) failed: %s";
inline constexpr char TXT_COMMISSION_NODE_DEST[] =
    "the manifest's address is the node's own destination address";
inline constexpr char TXT_COMMISSION_NOT_DONE[] = "not done: stopped before";
inline constexpr char TXT_COMMISSION_NO_REPLY[] = "no reply";
inline constexpr char TXT_COMMISSION_IMAGE_MISSING[] = "the node does not list the image";
inline constexpr char TXT_COMMISSION_UNCHANGED[] = "unchanged";
inline constexpr char TXT_COMMISSION_TALLY[] = "%d ok, %d mismatch, %d failed, %d not done";
