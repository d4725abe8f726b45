#include "ScriptedUi.h"

EMsgAnswer CScriptedUi::MessageBox(const std::string& strText, EMsgButtons buttons, EMsgIcon icon,
                                   const std::string& strCaption) {
    m_vecMessages.push_back({strText, strCaption, buttons, icon});
    if (m_fnOnMessage) {
        m_fnOnMessage(m_vecMessages.back());
    }
    if (!m_queueAnswers.empty()) {
        EMsgAnswer answer = m_queueAnswers.front();
        m_queueAnswers.pop_front();
        return answer;
    }
    switch (buttons) {
    case EMsgButtons::YesNo:
    case EMsgButtons::YesNoCancel:
        return EMsgAnswer::Yes;
    case EMsgButtons::RetryCancel:
        return EMsgAnswer::Retry;
    default:
        return EMsgAnswer::Ok;
    }
}

int CScriptedUi::DoModal(CDialogModel& dialog) {
    m_vecDialogs.push_back(dialog.GetDialogName());
    auto it = m_mapDialogs.find(dialog.GetDialogName());
    if (it == m_mapDialogs.end() || it->second.empty()) {
        return DIALOG_CANCEL;
    }
    DialogScript script = std::move(it->second.front());
    it->second.pop_front();
    return script(dialog);
}

std::vector<std::string> CScriptedUi::MessageTexts() const {
    std::vector<std::string> vec;
    for (const SMessage& msg : m_vecMessages) {
        vec.push_back(msg.strText);
    }
    return vec;
}
