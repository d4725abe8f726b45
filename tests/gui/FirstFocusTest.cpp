// Where the focus is when a dialog opens: on the first field an operator types
// into, so that typing at once is never lost on a list or a button; a dialog
// without such a field starts on its first control that takes input.
#include "ModalScript.h"
#include "doc/AppInfoDlg.h"
#include "doc/FileInfoDlg.h"
#include "doc/VersionInfoDlg.h"
#include "gui/DialogForms.h"
#include "gui/DialogView.h"
#include "gui/QtUi.h"
#include "ops/AutoSetDlg.h"
#include "ops/DownloadProgressDlg.h"
#include "ops/DownloadTargetDlg.h"
#include "ops/GetVersionDlg.h"
#include "ops/InformationDlg.h"
#include "ops/IpSearchDlg.h"
#include "ops/NetworkDlg.h"
#include "ops/NodeCommandDlgs.h"
#include "ops/NodeDlg.h"
#include "ops/OperationLogDlg.h"
#include "ops/SearchInterface.h"
#include "params/DefaultParamSheet.h"
#include "params/ParamEditor.h"
#include "params/ParamSubDialogs.h"

#include <QLineEdit>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {
// What each case's model needs to live as long as its dialog.
struct SWorld {
    NODEPARAM param{};
    std::vector<std::unique_ptr<CNetProperty>> arrNets;
    std::vector<CIpSearchList> listAddr{CIpSearchList{"10.0.0.1"}};
    std::vector<CIpSearchList> listTargets;
    std::vector<uint8_t> vecVersion = std::vector<uint8_t>(232, 0);
    COXParam node;
    std::vector<COXParam> arrNodes;
};

struct SFocusCase {
    const char* pszCase;
    std::function<std::unique_ptr<CDialogModel>(SWorld&)> fnMake;
    int nFocusId; // the control that has the focus once the dialog is up
    bool bModeless = false;
};

template <typename T, typename... A> std::unique_ptr<CDialogModel> Make(A&&... args) {
    return std::make_unique<T>(std::forward<A>(args)...);
}

const char LISTING[] = "-rw-r--r-- 1 user user 2048 Jan 01 00:00 V1.02 TESTAPP\r\n";

const std::vector<SFocusCase>& Cases() {
    static const std::vector<SFocusCase> s_vec{
        {"CAppInfoDlg",
         [](SWorld&) { return Make<CAppInfoDlg>("h", "u", "p", std::string(LISTING)); }, 1067},
        {"CAutoSetDlg", [](SWorld& w) { return Make<CAutoSetDlg>(w.arrNets, 0); }, 1522},
        {"CAutoSetErrorDlg", [](SWorld&) { return Make<CAutoSetErrorDlg>("0080D4000001"); }, 1633},
        {"CDownloadProgressDlg", [](SWorld&) { return Make<CDownloadProgressDlg>(); }, 1, true},
        {"CDownloadTargetDlg", [](SWorld&) { return Make<CDownloadTargetDlg>("10.0.0.1"); }, 1154},
        {"CFileInfoDlg", [](SWorld&) { return Make<CFileInfoDlg>(std::string(LISTING)); }, 1},
        {"CGeneralItemsDlg", [](SWorld&) { return Make<CGeneralItemsDlg>(); }, 1147},
        {"CGetParamDlg", [](SWorld&) { return Make<CGetParamDlg>(true); }, 1058},
        {"CGetVersionDlg", [](SWorld&) { return Make<CGetVersionDlg>(true); }, 1058},
        {"CInformationDlg", [](SWorld&) { return Make<CInformationDlg>("..."); }, 2, true},
        {"CInitErrorDlg", [](SWorld&) { return Make<CInitErrorDlg>("0080D4000001"); }, 1633},
        {"CInitModelDlg", [](SWorld&) { return Make<CInitModelDlg>(); }, 1621},
        {"CInitializeDlg", [](SWorld&) { return Make<CInitializeDlg>(); }, 1},
        {"CIpSearchDlg", [](SWorld& w) { return Make<CIpSearchDlg>(w.listAddr, w.listTargets); },
         1300},
        {"CModeChangeDlg", [](SWorld&) { return Make<CModeChangeDlg>(true); }, 1611},
        {"CNetworkDlg",
         [](SWorld& w) {
             return Make<CNetworkDlg>(NETDLG_MODE_NEW, "", 0xFFFFFF00u, 0u, w.arrNets);
         },
         1500},
        {"CNetworkDlg view",
         [](SWorld& w) {
             return Make<CNetworkDlg>(NETDLG_MODE_VIEW, "A", 0xFFFFFF00u, 0u, w.arrNets);
         },
         1},
        {"CNodeDlg",
         [](SWorld& w) { return Make<CNodeDlg>(NODEDLG_MODE_NEW, "A", w.node, w.arrNodes); }, 1512},
        {"CNodeDlg properties",
         [](SWorld& w) { return Make<CNodeDlg>(NODEDLG_MODE_PROPERTIES, "A", w.node, w.arrNodes); },
         1512},
        {"COXPropSheet", [](SWorld& w) { return Make<COXPropSheet>(w.param); }, 1127},
        {"CParamEditor", [](SWorld& w) { return Make<CParamEditor>(w.param); }, 1039},
        {"COperationLogDlg", [](SWorld&) { return Make<COperationLogDlg>(); }, 1750, true},
        {"CSearchInterfaceDlg",
         [](SWorld&) {
             return Make<CSearchInterfaceDlg>(
                 std::vector<SNetInterface>{{"eth0", 2, 0x0A000001u, true, false, true}}, "");
         },
         1740},
        {"CSnmpDlg", [](SWorld&) { return Make<CSnmpDlg>(); }, 1175},
        {"CStartProgramDlg", [](SWorld&) { return Make<CStartProgramDlg>(); }, 1050},
        {"CVersionInfoDlg",
         [](SWorld& w) { return Make<CVersionInfoDlg>(w.vecVersion.data(), w.vecVersion.size()); },
         1},
    };
    return s_vec;
}

// The object name (control id) of the dialog's focus widget.
std::string FocusName(QWidget& dialog) {
    QWidget* pFocus = dialog.focusWidget();
    return pFocus == nullptr ? "(none)" : pFocus->objectName().toStdString();
}
} // namespace

TEST(FirstFocus, EveryDialogOpensOnTheFirstFieldAnOperatorTypesInto) {
    std::set<std::string> setCovered;
    for (const SFocusCase& focusCase : Cases()) {
        SCOPED_TRACE(focusCase.pszCase);
        SWorld world;
        world.arrNets.push_back(std::make_unique<CNetProperty>());
        world.node.m_strMac = "0080D4000001";
        world.node.m_dwIp = 0xC0A801FEu;
        std::unique_ptr<CDialogModel> pModel = focusCase.fnMake(world);
        setCovered.insert(pModel->GetDialogName());
        std::string strWanted = "id" + std::to_string(focusCase.nFocusId);
        CQtUi ui;
        if (focusCase.bModeless) {
            ui.OpenModeless(*pModel);
            CDialogView* pView = ui.GetModelessView(*pModel);
            ASSERT_NE(pView, nullptr);
            EXPECT_EQ(FocusName(*pView), strWanted);
            ui.CloseModeless(*pModel);
            continue;
        }
        std::string strFocus;
        CModalScript script;
        bool bAllSelected = true;
        script.OnDialog(pModel->GetDialogName(), [&](QDialog& dlg) {
            strFocus = FocusName(dlg);
            // What the field holds is selected: typing replaces it.
            if (auto* pEdit = qobject_cast<QLineEdit*>(dlg.focusWidget())) {
                bAllSelected = pEdit->selectedText() == pEdit->text();
            }
            dlg.done(QDialog::Rejected);
        });
        ui.DoModal(*pModel);
        EXPECT_TRUE(script.Done());
        EXPECT_EQ(strFocus, strWanted);
        EXPECT_TRUE(bAllSelected);
    }
    // Every form is in the table.
    for (const std::string& strName : GetDialogFormNames()) {
        EXPECT_EQ(setCovered.count(strName), 1u) << strName;
    }
}
