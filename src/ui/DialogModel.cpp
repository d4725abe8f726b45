#include "ui/DialogModel.h"

const std::string& CDialogModel::GetText(int nId) const {
    static const std::string s_strEmpty;
    auto it = m_mapTexts.find(nId);
    return it == m_mapTexts.end() ? s_strEmpty : it->second;
}

int CDialogModel::GetInt(int nId) const {
    auto it = m_mapInts.find(nId);
    return it == m_mapInts.end() ? 0 : it->second;
}

void CDialogModel::Enable(int nId, bool bEnable) {
    if (bEnable) {
        m_setDisabled.erase(nId);
    } else {
        m_setDisabled.insert(nId);
    }
}

const std::vector<std::string>& CDialogModel::GetItems(int nId) const {
    static const std::vector<std::string> s_vecEmpty;
    auto it = m_mapItems.find(nId);
    return it == m_mapItems.end() ? s_vecEmpty : it->second;
}

void CDialogModel::Show(int nId, bool bShow) {
    if (bShow) {
        m_setHidden.erase(nId);
    } else {
        m_setHidden.insert(nId);
    }
}

const std::string& CDialogModel::GetCaption(int nId) const {
    static const std::string s_strEmpty;
    auto it = m_mapCaptions.find(nId);
    return it == m_mapCaptions.end() ? s_strEmpty : it->second;
}
