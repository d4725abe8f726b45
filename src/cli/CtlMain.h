#pragma once
struct SCtlArgs;

// The mrvctl program: its command line, the manager's files, the check that
// the manager is not running, the document, the command and its output.
// Returns the exit status.
int RunCtl(int argc, char** argv);

// Commands that only show what is stored: they leave the data file as it was
// (a network chosen with --network is a change to keep).
bool IsListingOnly(const SCtlArgs& args);
