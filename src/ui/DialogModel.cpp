#include "ui/DialogModel.h"

#include "platform/Cp932.h"

#include <algorithm>

namespace {
template <typename T> const T& Lookup(const std::map<int, T>& map, int nId) {
    static const T s_empty{};
    auto it = map.find(nId);
    return it == map.end() ? s_empty : it->second;
}

bool IsHexChar(unsigned char by) {
    return (by >= '0' && by <= '9') || (by >= 'A' && by <= 'F') || (by >= 'a' && by <= 'f');
}

unsigned char Upper(unsigned char by) {
    return (by >= 'a' && by <= 'z') ? static_cast<unsigned char>(by - 'a' + 'A') : by;
}
} // namespace

std::string FilterInput(const SControl& control, const std::string& strTyped) {
    bool bCharsOnly = control.eKind == ECtl::DigitsEdit || control.eKind == ECtl::HexEdit;
    std::string strOut;
    for (size_t i = 0; i < strTyped.size();) {
        auto by = static_cast<unsigned char>(strTyped[i]);
        size_t nChar = (IsCp932LeadByte(by) && i + 1 < strTyped.size()) ? 2 : 1;
        if (nChar == 2) {
            if (!bCharsOnly) { // a double-byte character is never a digit
                strOut += strTyped.substr(i, 2);
            }
        } else if (control.eKind == ECtl::DigitsEdit) {
            if (by >= '0' && by <= '9') {
                strOut += static_cast<char>(by);
            }
        } else if (control.eKind == ECtl::HexEdit) {
            if (IsHexChar(by) || by < 0x20) {
                strOut += static_cast<char>(Upper(by));
            }
        } else {
            strOut += static_cast<char>(control.eKind == ECtl::UpperEdit ? Upper(by) : by);
        }
        i += nChar;
    }
    if (control.nLimit > 0 && strOut.size() > control.nLimit) {
        size_t nCut = 0;
        while (nCut < strOut.size()) {
            size_t nChar = IsCp932LeadByte(static_cast<unsigned char>(strOut[nCut])) ? 2 : 1;
            if (nCut + nChar > control.nLimit) {
                break;
            }
            nCut += nChar;
        }
        strOut.resize(nCut);
    }
    return strOut;
}

SDialogAction CDialogModel::OnListEvent(CUi& /*ui*/, int /*nId*/, EListEvent /*eEvent*/) {
    return SDialogAction::StayOpen();
}

void CDialogModel::OnChange(CUi& /*ui*/, int /*nId*/) {}

void CDialogModel::SetControls(std::vector<SControl> vecControls) {
    m_vecControls = std::move(vecControls);
    for (const SControl& ctl : m_vecControls) {
        Enable(ctl.nId, ctl.bEnabled);
        Show(ctl.nId, ctl.bVisible);
        if (!ctl.strCaption.empty()) {
            SetCaption(ctl.nId, ctl.strCaption);
        }
    }
}

const SControl* CDialogModel::FindControl(int nId) const {
    auto it = std::find_if(m_vecControls.begin(), m_vecControls.end(),
                           [nId](const SControl& ctl) { return ctl.nId == nId; });
    return it == m_vecControls.end() ? nullptr : &*it;
}

const std::string& CDialogModel::GetText(int nId) const {
    return Lookup(m_mapTexts, nId);
}

void CDialogModel::TypeText(int nId, const std::string& strTyped) {
    const SControl* pControl = FindControl(nId);
    SetText(nId, pControl != nullptr ? FilterInput(*pControl, strTyped) : strTyped);
}

int CDialogModel::GetInt(int nId) const {
    return Lookup(m_mapInts, nId);
}

void CDialogModel::Enable(int nId, bool bEnable) {
    if (bEnable) {
        m_setDisabled.erase(nId);
    } else {
        m_setDisabled.insert(nId);
    }
}

void CDialogModel::Show(int nId, bool bShow) {
    if (bShow) {
        m_setHidden.erase(nId);
    } else {
        m_setHidden.insert(nId);
    }
}

const std::string& CDialogModel::GetCaption(int nId) const {
    return Lookup(m_mapCaptions, nId);
}

const std::vector<std::string>& CDialogModel::GetItems(int nId) const {
    return Lookup(m_mapItems, nId);
}

const std::vector<std::vector<std::string>>& CDialogModel::GetRows(int nId) const {
    return Lookup(m_mapRows, nId);
}

const std::vector<int>& CDialogModel::GetSelection(int nId) const {
    return Lookup(m_mapSelections, nId);
}
