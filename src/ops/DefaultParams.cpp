#include "ops/DefaultParams.h"

#include "doc/OrvixDoc.h"
#include "params/DefaultParamSheet.h"
#include "params/ParamFile.h"
#include "res/Texts.h"
#include "ui/BusyScope.h"
#include "ui/Ui.h"

void EditDefaultParams(COrvixDoc& doc, CParamFile& paramFile) {
    const SDocEnv& env = doc.GetEnv();
    CBusyScope busy(env.ui, env.pump, TXT_STATUS_DEFAULT_PARAM);
    CWaitCursorScope wait(env.ui);
    COXPropSheet sheet(paramFile.m_param);
    if (env.ui.DoModal(sheet) == DIALOG_OK) {
        paramFile.Save(env.settings);
    }
}
