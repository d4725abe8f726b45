#pragma once
// Texts of mrvctl, the manager's operations from a shell: usage, help and the
// errors of the command line itself. What the operations report are the
// manager's own texts.

inline constexpr char TXT_CTL_PROGRAM_NAME[] = "mrvctl";

inline constexpr char TXT_CTL_USAGE[] =
    "Usage: mrvctl [--file FILE] [--network NAME] [--interface NAME] [--json] [--yes]\n"
    "              COMMAND [ARGS] [OPTIONS]\n";

// --verbose: the parts of a datagram's line after "udp -> ADDR:PORT CODE MAC".
inline constexpr char TXT_CTL_TRACE_MODE[] = " mode %02X";
inline constexpr char TXT_CTL_TRACE_RESULT[] = " result %02X";
inline constexpr char TXT_CTL_TRACE_LENGTH[] = " (%u bytes)";

inline constexpr char TXT_CTL_HELP[] =
    "The MRV-620 configuration manager's operations from a shell. Works on the\n"
    "same data file and DefParam.ini as mrvmgr.\n"
    "\n"
    "Commands:\n"
    "  networks [list|add|select|delete|show]   the registered networks\n"
    "  nodes [list|add|delete|set]              the nodes of the current network\n"
    "  search [--refresh] [--ip ADDR]... [--expect N|--expect-all]\n"
    "                                           find nodes on the segment\n"
    "  autoset --base IP [--increment N]        give addressless nodes addresses\n"
    "  get-params NODE [--out FILE]             read a node's parameter set\n"
    "  set-params NODE... [--from FILE|--defaults] [--set KEY=VALUE]...\n"
    "                                           change or send nodes' parameters\n"
    "  defaults [show] [--from FILE] [--set KEY=VALUE]...   the default parameters\n"
    "  mode NODE MODE                           switch a node's mode (0-3, 6, 7)\n"
    "  init NODE | init --model MRV-620         initialise a node or every node\n"
    "  download kernel|app FILE NODE...|--all [--parallel N]\n"
    "                                           load a .mot file into nodes\n"
    "  files NODE                               a node's file listing\n"
    "  version NODE...                          a node's versions and applications\n"
    "  delete-app NODE NAME...                  delete user applications\n"
    "  commission MANIFEST.csv [--check]        register, address, load and verify\n"
    "                                           the nodes of a list\n"
    "  log [--since TIME] [--node MAC]          the operation log\n"
    "\n"
    "NODE is a MAC (12 hex digits), an IP address or a row number of 'nodes list';\n"
    "one that names several nodes is refused. Addresses given as options are four\n"
    "decimal parts (masks with contiguous ones).\n"
    "\n"
    "Options for every command:\n"
    "  -f, --file FILE      the data file (default: the one mrvmgr uses)\n"
    "  -n, --network NAME   make this network the current one first\n"
    "  -i, --interface NAME broadcast through this interface only (default: every\n"
    "                       interface that can broadcast)\n"
    "      --defaults-file FILE  the default parameters of FILE instead of DefParam.ini\n"
    "  -j, --json           one JSON object on standard output, whatever the outcome\n"
    "  -y, --yes            answer every confirmation with yes\n"
    "  -q, --quiet          errors only: no notices, progress or text output\n"
    "  -v, --verbose        each datagram and FTP step on standard error (the\n"
    "                       node's FTP account masked)\n"
    "      --wait SECONDS   wait so long for the data file (or the port) that\n"
    "                       another program holds (default 0: refuse at once)\n"
    "  -h, --help           this text, or the help of a command\n"
    "  -V, --version        the version\n"
    "\n"
    "Exit status: 0 success, 1 other failure, 2 bad input, 3 no reply,\n"
    "4 abnormal reply, 5 FTP failure, 6 the data file or port 65532 is in use\n"
    "by another program, 7 a question no option answers; 130, 143, 129 stopped\n"
    "by SIGINT, SIGTERM, SIGHUP (at the next safe point: nodes back in\n"
    "operation, the data file saved; a second signal ends it at once).\n";

// One help text per command.
inline constexpr char TXT_CTL_HELP_NETWORKS[] =
    "Usage: mrvctl networks [list]\n"
    "       mrvctl networks add NAME [--mask MASK] [--gateway IP] [--exist-ok]\n"
    "       mrvctl networks select NAME\n"
    "       mrvctl networks delete [NAME] --yes\n"
    "       mrvctl networks show [NAME]\n"
    "A new network becomes the current one; mask and gateway default to\n"
    "255.255.255.0 and 2.2.2.2 as in the manager's dialog. --exist-ok makes a\n"
    "network of that name current when it is there already (with the same mask\n"
    "and gateway, if given). Deleting another network keeps the current one.\n";
inline constexpr char TXT_CTL_HELP_NODES[] =
    "Usage: mrvctl nodes [list]\n"
    "       mrvctl nodes add MAC [--ip IP] [--serial TEXT] [--remarks TEXT]\n"
    "       mrvctl nodes delete NODE\n"
    "       mrvctl nodes set NODE [--serial TEXT] [--remarks TEXT] [--ip IP]\n"
    "--ip changes the address the registry holds for the node, by the node\n"
    "dialog's rules; the node itself is not told (set-params does that).\n";
inline constexpr char TXT_CTL_HELP_SEARCH[] =
    "Usage: mrvctl search [--refresh] [--ip ADDR]... [--expect N|--expect-all]\n"
    "Broadcast search of the current network's segment; --refresh empties the\n"
    "network first; --ip searches the given addresses only (repeat it, or\n"
    "separate the addresses with commas). Lists whether each node answered and\n"
    "the counts; --expect N (--expect-all) ends with status 3 when fewer than N\n"
    "(than all) registered nodes answered.\n";
inline constexpr char TXT_CTL_HELP_AUTOSET[] =
    "Usage: mrvctl autoset --base IP [--increment N] [--on-silence continue|stop]\n"
    "Gives every node without an address one from IP on, with the default\n"
    "parameters. --on-silence answers what to do when a node does not reply.\n";
inline constexpr char TXT_CTL_HELP_GET_PARAMS[] =
    "Usage: mrvctl get-params NODE [--out FILE [--force]] [--outside-network]\n"
    "Reads the node's parameter set; --out writes it as a new parameter file\n"
    "(the format of DefParam.ini, section MRV-620_Parameter); an existing FILE\n"
    "is refused unless --force, which replaces it whole.\n";
inline constexpr char TXT_CTL_HELP_SET_PARAMS[] =
    "Usage: mrvctl set-params NODE... --set KEY=VALUE... [--outside-network]\n"
    "       mrvctl set-params NODE... --from FILE|--defaults [--set KEY=VALUE]...\n"
    "With --set alone, each node's own parameters are fetched and sent back with\n"
    "those keys changed. --from FILE sends the set of FILE, --defaults the\n"
    "default parameters, with the node's address and the network's mask and\n"
    "gateway. KEY is a key of the parameter file; VALUE as the settings dialog\n"
    "takes it (addresses dotted, lists by item number from 0).\n";
inline constexpr char TXT_CTL_HELP_DEFAULTS[] =
    "Usage: mrvctl defaults [show]\n"
    "       mrvctl defaults [--from FILE] [--set KEY=VALUE]...\n"
    "Shows the default parameters, or replaces them by those of FILE and/or\n"
    "changes single keys, through the checks of the default-parameter sheet.\n";
inline constexpr char TXT_CTL_HELP_MODE[] =
    "Usage: mrvctl mode NODE MODE [--outside-network]\n"
    "MODE: 0 to 3 (normal operation), 6 (kernel download), 7 (setup).\n";
inline constexpr char TXT_CTL_HELP_INIT[] =
    "Usage: mrvctl init NODE --yes\n"
    "       mrvctl init --model MRV-620 --yes [--on-silence continue|stop]\n";
inline constexpr char TXT_CTL_HELP_DOWNLOAD[] =
    "Usage: mrvctl download kernel|app FILE NODE...|--all [--parallel N] [--retry K]\n"
    "                                   [--yes]\n"
    "Loads FILE into each node. One node goes through the single-node download;\n"
    "several go through the batch download (16 at a time), whose confirmation\n"
    "needs --yes. --retry repeats the failed ones up to K times. --all names\n"
    "every node of the current network that has an address.\n"
    "--parallel N (1 to 64) keeps up to N nodes in flight at once, each going\n"
    "the batch download's way and then checked by its version information: it\n"
    "must list the image by the name and version of its S0 header (\"NAME\n"
    "Vm.nn\"), where the header has them. A node counts as loaded only when\n"
    "checked. On a terminal each finished node is one line, with a summary\n"
    "line of the counts below.\n";
inline constexpr char TXT_CTL_HELP_FILES[] = "Usage: mrvctl files NODE\n";
inline constexpr char TXT_CTL_HELP_VERSION[] =
    "Usage: mrvctl version NODE... [--outside-network]\n";
inline constexpr char TXT_CTL_HELP_DELETE_APP[] = "Usage: mrvctl delete-app NODE NAME... --yes\n";

// Errors of the command line. %s: the word concerned.
inline constexpr char TXT_CTL_ERR_NO_COMMAND[] = "no command given";
inline constexpr char TXT_CTL_ERR_UNKNOWN_COMMAND[] = "unknown command '%s'";
inline constexpr char TXT_CTL_ERR_UNKNOWN_ACTION[] = "unknown action '%s'";
inline constexpr char TXT_CTL_ERR_UNKNOWN_OPTION[] = "unknown option '%s'";
inline constexpr char TXT_CTL_ERR_QUIET_AND_VERBOSE[] = "--quiet and --verbose exclude each other";
inline constexpr char TXT_CTL_ERR_MISSING_VALUE[] = "option '%s' needs a value";
inline constexpr char TXT_CTL_ERR_OPTION_NOT_HERE[] =
    "option '--%s' does not belong to this command";
inline constexpr char TXT_CTL_ERR_TOO_MANY[] = "too many arguments from '%s' on";
inline constexpr char TXT_CTL_ERR_MISSING_ARG[] = "missing %s";
inline constexpr char TXT_CTL_ERR_BAD_ADDRESS[] = "malformed address '%s'";
inline constexpr char TXT_CTL_ERR_NOT_DOTTED[] = "'%s' is not an address of four decimal parts";
inline constexpr char TXT_CTL_ERR_NOT_CONTIGUOUS[] = "'%s' is not a mask of contiguous ones";
inline constexpr char TXT_CTL_ERR_FROM_AND_DEFAULTS[] = "--from and --defaults exclude each other";
inline constexpr char TXT_CTL_ERR_BAD_NUMBER[] = "'%s' is not a whole number in range";
inline constexpr char TXT_CTL_ERR_BAD_MODE[] = "mode '%s' is none of 0, 1, 2, 3, 6, 7";
inline constexpr char TXT_CTL_ERR_BAD_KIND[] = "'%s' is neither kernel nor app";
inline constexpr char TXT_CTL_ERR_BAD_SILENCE[] = "'%s' is neither continue nor stop";
inline constexpr char TXT_CTL_ERR_BAD_MODEL[] = "unknown model '%s' (only MRV-620)";
inline constexpr char TXT_CTL_ERR_BAD_SET[] = "'%s' is not KEY=VALUE";
inline constexpr char TXT_CTL_ERR_UNKNOWN_KEY[] = "unknown parameter key '%s'";
inline constexpr char TXT_CTL_ERR_BAD_VALUE[] = "value '%s' cannot be entered for this key";
inline constexpr char TXT_CTL_ERR_BAD_TEXT[] = "'%s' cannot be written in the manager's code page";
inline constexpr char TXT_CTL_ERR_NOT_PARAM_FILE[] =
    "'%s' is not a parameter set (no section MRV-620_Parameter)";
inline constexpr char TXT_CTL_ERR_NO_FILE[] = "cannot read '%s'";
inline constexpr char TXT_CTL_ERR_UNKNOWN_NODE[] = "no node '%s' in the current network";
inline constexpr char TXT_CTL_ERR_UNKNOWN_NETWORK[] = "no network '%s'";
inline constexpr char TXT_CTL_ERR_UNKNOWN_INTERFACE[] =
    "no interface '%s' can broadcast (usable: %s)";
inline constexpr char TXT_CTL_ERR_NO_NETWORK[] = "no current network (register or select one)";
inline constexpr char TXT_CTL_ERR_NO_APP[] = "no user application '%s' on the node";
inline constexpr char TXT_CTL_ERR_NOTHING_TO_SET[] =
    "nothing to change: give --serial, --remarks or --ip";
inline constexpr char TXT_CTL_ERR_NOTHING_TO_SEND[] =
    "nothing to send: give --set KEY=VALUE, --from FILE or --defaults";
// A NODE that names several nodes: the name, how many, and the matches
// ("row N MAC IP", comma-separated).
inline constexpr char TXT_CTL_ERR_AMBIGUOUS_NODE[] =
    "'%s' names %d nodes (%s): name one by its MAC";
inline constexpr char TXT_CTL_MATCH_FORMAT[] = "row %d %s %s";
// networks add --exist-ok of a name that is there with other values.
inline constexpr char TXT_CTL_ERR_NETWORK_DIFFERS[] =
    "network '%s' exists with mask %s and gateway %s";
// search --expect / --expect-all: answered, registered, expected.
inline constexpr char TXT_CTL_ERR_TOO_FEW_ANSWERS[] =
    "%d of %d registered nodes answered (%d expected)";
// An argument whose bytes are not UTF-8, under --json; %d its position.
inline constexpr char TXT_CTL_NOTE_NOT_UTF8[] =
    "argument %d is not valid UTF-8; its invalid bytes are shown as U+FFFD";
inline constexpr char TXT_CTL_ERR_WRITE[] = "cannot write '%s'";
// A question of the operation that no option answered.
inline constexpr char TXT_CTL_ERR_UNANSWERED_DIALOG[] =
    "the dialog %s was not answered by any option";
inline constexpr char TXT_CTL_ERR_UNANSWERED_QUESTION[] = "%s\n(answer it with --yes)";
inline constexpr char TXT_CTL_ERR_UNANSWERED_FILE[] = "no file was given for the file choice";
inline constexpr char TXT_CTL_ERR_UNANSWERED_SILENCE[] =
    "node %s did not reply; say with --on-silence continue|stop what to do then";
inline constexpr char TXT_CTL_ERR_DIALOG_STAYED[] = "the dialog %s did not close";
// Who holds the data file or the port. %s: the holder as below.
inline constexpr char TXT_CTL_ERR_DATA_HELD[] = "the data file %s is in use by %s; %s";
inline constexpr char TXT_CTL_ERR_PORT_HELD[] =
    "port 65532 is in use by %s: only one program at a time can talk to the nodes; %s";
inline constexpr char TXT_CTL_HOLDER_MANAGER[] = "mrvmgr (pid %d)";
inline constexpr char TXT_CTL_HOLDER_CTL[] = "another mrvctl (pid %d)";
inline constexpr char TXT_CTL_HOLDER_NAMED[] = "%s (pid %d)";
inline constexpr char TXT_CTL_HOLDER_UNKNOWN[] = "another program";
inline constexpr char TXT_CTL_ADVICE_MANAGER[] = "close the manager or wait with --wait SECONDS";
inline constexpr char TXT_CTL_ADVICE_WAIT[] = "try again later or wait with --wait SECONDS";
inline constexpr char TXT_CTL_ERR_EXISTS[] = "'%s' exists already (--force replaces it)";
// Told to stop. %s: the signal's name.
inline constexpr char TXT_CTL_STOPPED_BEFORE[] =
    "stopped by %s before the command began: nothing was done";
inline constexpr char TXT_CTL_STOPPED_AT_END[] =
    "stopped by %s: the command had run to its end; the data file is saved";
inline constexpr char TXT_CTL_STOPPED_EARLY[] =
    "stopped by %s at a safe point: what was done is in the data file; not done: %s";
inline constexpr char TXT_CTL_STOPPED_AT_ONCE[] =
    "stopped at once by a second signal (%s): the node in hand may be left in the mode the "
    "command gave it, and the data file may lack this command's changes";
inline constexpr char TXT_CTL_ERR_NO_DOWNLOAD[] = "download to %s failed";
inline constexpr char TXT_CTL_ERR_NO_OWN_ADDRESS[] =
    "node %s has no address of its own (a batch finds its nodes by address)";
inline constexpr char TXT_CTL_PROGRESS_RETRY[] = "retry %d of %d: %zu node(s)";
