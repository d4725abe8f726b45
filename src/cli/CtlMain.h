#pragma once
// The mrvctl program: its command line, the manager's files, the check that
// the manager is not running, the document, the command and its output.
// Returns the exit status.
int RunCtl(int argc, char** argv);
