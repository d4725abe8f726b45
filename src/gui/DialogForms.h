#pragma once
#include <string>
#include <vector>

class QDialog;

// The Qt Designer forms of the dialogs, by dialog class name (GetDialogName).
// False when the program has no form of that name; the dialog is left untouched.
bool SetUpDialogForm(const std::string& strDialogName, QDialog* pDialog);
bool HasDialogForm(const std::string& strDialogName);
// Every dialog class name the program has a form for.
std::vector<std::string> GetDialogFormNames();
