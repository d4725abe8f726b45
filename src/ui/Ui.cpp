#include "ui/Ui.h"

#include "res/Texts.h"

EMsgAnswer CUi::ShowMessage(const std::string& strText, EMsgButtons buttons, EMsgIcon icon) {
    return MessageBox(strText, buttons, icon, TXT_APP_TITLE);
}
