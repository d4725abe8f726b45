#include "gui/DialogForms.h"

#include "ui_CAppInfoDlg.h"
#include "ui_CFileInfoDlg.h"
#include "ui_CGetVersionDlg.h"
#include "ui_CInformationDlg.h"
#include "ui_CIpSearchDlg.h"
#include "ui_CParamEditor.h"
#include "ui_CVersionInfoDlg.h"

#include <QDialog>

#include <map>

namespace {
using FormSetup = void (*)(QDialog*);

template <typename TForm> void SetUpForm(QDialog* pDialog) {
    TForm form;
    form.setupUi(pDialog);
}

// One line per dialog; the form names its widgets by control id.
const std::map<std::string, FormSetup>& Forms() {
    static const std::map<std::string, FormSetup> s_mapForms{
        {"CAppInfoDlg", &SetUpForm<Ui::CAppInfoDlg>},
        {"CFileInfoDlg", &SetUpForm<Ui::CFileInfoDlg>},
        {"CGetVersionDlg", &SetUpForm<Ui::CGetVersionDlg>},
        {"CInformationDlg", &SetUpForm<Ui::CInformationDlg>},
        {"CIpSearchDlg", &SetUpForm<Ui::CIpSearchDlg>},
        {"CParamEditor", &SetUpForm<Ui::CParamEditor>},
        {"CVersionInfoDlg", &SetUpForm<Ui::CVersionInfoDlg>},
    };
    return s_mapForms;
}
} // namespace

bool SetUpDialogForm(const std::string& strDialogName, QDialog* pDialog) {
    auto it = Forms().find(strDialogName);
    if (it == Forms().end()) {
        return false;
    }
    it->second(pDialog);
    return true;
}

bool HasDialogForm(const std::string& strDialogName) {
    return Forms().count(strDialogName) != 0;
}
