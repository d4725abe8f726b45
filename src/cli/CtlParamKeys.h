#pragma once
// The keys of a parameter file (section MRV-620_Parameter of DefParam.ini) and
// where each is entered: a field of the default-parameter page, of the node
// settings dialog, or of one of their three sub-dialogs.
#include "params/NodeParam.h"

#include <functional>
#include <string>
#include <vector>

class CCtlUi;
class CDialogModel;

enum class ECtlSubDialog { None, StartPrograms, GeneralItems, Snmp };

struct SCtlParamKey {
    std::string strKey;
    int nPageId = 0;   // on the default-parameter page; 0 with a sub-dialog
    int nEditorId = 0; // on the node settings dialog; 0 with a sub-dialog
    ECtlSubDialog eSub = ECtlSubDialog::None;
    int nSubId = 0; // on the sub-dialog
};

// Every key, in the order the parameter file holds them.
const std::vector<SCtlParamKey>& GetCtlParamKeys();
// The key of that name (compared without case, as the file does); nullptr.
const SCtlParamKey* FindCtlParamKey(const std::string& strKey);

// "KEY=VALUE" split; false when the key is unknown.
bool SplitCtlSetting(const std::string& strSetting, const SCtlParamKey*& pKey,
                     std::string& strValue);

// The record as its parameter file's key=value pairs (values as the file holds them, UTF-8).
std::vector<std::pair<std::string, std::string>> RenderParamFile(const NODEPARAM& param);

// True when the file holds a parameter set: the section with at least one of its keys.
bool IsParamFile(const std::string& strPath);

// Answers for the dialogs that take parameter values: the node settings
// dialog or the default-parameter sheet (bPage), then whatever sub-dialogs the
// settings concern. vecSettings are checked "KEY=VALUE" texts. With pFill the
// sheet is filled from that record first, sub-dialogs included.
// fnFinish presses the dialog's closing button and returns its result.
void AnswerParamDialogs(CCtlUi& ui, bool bPage, const std::vector<std::string>& vecSettings,
                        const NODEPARAM* pFill, std::function<int(CDialogModel&)> fnFinish);
