#include "ops/DefaultParams.h"

#include "doc/OrvixDoc.h"
#include "params/DefaultParamSheet.h"
#include "params/ParamFile.h"
#include "res/Texts.h"
#include "ui/BusyScope.h"
#include "ui/Ui.h"

namespace {
class CWaitCursor {
public:
    explicit CWaitCursor(CUi& ui) : m_ui(ui) { m_ui.BeginWaitCursor(); }
    ~CWaitCursor() { m_ui.EndWaitCursor(); }
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;

private:
    CUi& m_ui;
};
} // namespace

void EditDefaultParams(COrvixDoc& doc, CParamFile& paramFile) {
    const SDocEnv& env = doc.GetEnv();
    CBusyScope busy(env.ui, env.pump, TXT_STATUS_DEFAULT_PARAM);
    CWaitCursor wait(env.ui);
    COXPropSheet sheet(paramFile.m_param);
    if (env.ui.DoModal(sheet) == DIALOG_OK) {
        paramFile.Save(env.settings);
    }
}
