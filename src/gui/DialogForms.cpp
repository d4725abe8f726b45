#include "gui/DialogForms.h"

#include "ui_CAppInfoDlg.h"
#include "ui_CAutoSetDlg.h"
#include "ui_CAutoSetErrorDlg.h"
#include "ui_CDownloadProgressDlg.h"
#include "ui_CDownloadTargetDlg.h"
#include "ui_CFileInfoDlg.h"
#include "ui_CGeneralItemsDlg.h"
#include "ui_CGetParamDlg.h"
#include "ui_CGetVersionDlg.h"
#include "ui_CInformationDlg.h"
#include "ui_CInitErrorDlg.h"
#include "ui_CInitModelDlg.h"
#include "ui_CInitializeDlg.h"
#include "ui_CIpSearchDlg.h"
#include "ui_CModeChangeDlg.h"
#include "ui_CNetworkDlg.h"
#include "ui_CNodeDlg.h"
#include "ui_COXPropSheet.h"
#include "ui_COperationLogDlg.h"
#include "ui_CParamEditor.h"
#include "ui_CSearchInterfaceDlg.h"
#include "ui_CSnmpDlg.h"
#include "ui_CStartProgramDlg.h"
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
        {"CGeneralItemsDlg", &SetUpForm<Ui::CGeneralItemsDlg>},
        {"CAppInfoDlg", &SetUpForm<Ui::CAppInfoDlg>},
        {"CFileInfoDlg", &SetUpForm<Ui::CFileInfoDlg>},
        {"CGetVersionDlg", &SetUpForm<Ui::CGetVersionDlg>},
        {"CInformationDlg", &SetUpForm<Ui::CInformationDlg>},
        {"CIpSearchDlg", &SetUpForm<Ui::CIpSearchDlg>},
        {"CNetworkDlg", &SetUpForm<Ui::CNetworkDlg>},
        {"CNodeDlg", &SetUpForm<Ui::CNodeDlg>},
        {"COperationLogDlg", &SetUpForm<Ui::COperationLogDlg>},
        {"COXPropSheet", &SetUpForm<Ui::COXPropSheet>},
        {"CAutoSetDlg", &SetUpForm<Ui::CAutoSetDlg>},
        {"CAutoSetErrorDlg", &SetUpForm<Ui::CAutoSetErrorDlg>},
        {"CDownloadProgressDlg", &SetUpForm<Ui::CDownloadProgressDlg>},
        {"CDownloadTargetDlg", &SetUpForm<Ui::CDownloadTargetDlg>},
        {"CGetParamDlg", &SetUpForm<Ui::CGetParamDlg>},
        {"CInitErrorDlg", &SetUpForm<Ui::CInitErrorDlg>},
        {"CInitModelDlg", &SetUpForm<Ui::CInitModelDlg>},
        {"CInitializeDlg", &SetUpForm<Ui::CInitializeDlg>},
        {"CModeChangeDlg", &SetUpForm<Ui::CModeChangeDlg>},
        {"CParamEditor", &SetUpForm<Ui::CParamEditor>},
        {"CSearchInterfaceDlg", &SetUpForm<Ui::CSearchInterfaceDlg>},
        {"CSnmpDlg", &SetUpForm<Ui::CSnmpDlg>},
        {"CStartProgramDlg", &SetUpForm<Ui::CStartProgramDlg>},
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

std::vector<std::string> GetDialogFormNames() {
    std::vector<std::string> vecNames;
    for (const auto& entry : Forms()) {
        vecNames.push_back(entry.first);
    }
    return vecNames;
}
