#pragma once
#include <map>
#include <set>
#include <string>
#include <vector>

// End results of a modal dialog.
constexpr int DIALOG_CANCEL = 2;
constexpr int DIALOG_OK = 1;

// What the view must do after a handler ran.
struct SDialogAction {
    enum EKind { Stay, Close, Message } eKind = Stay;
    int nResult = 0;          // with Close
    std::string strMessage;   // with Message: shown in a message box (UTF-8)
    int nFocusId = 0;         // with Message: control that gets the focus, text selected; 0: none

    static SDialogAction StayOpen() { return {}; }
    static SDialogAction CloseWith(int nResult) { return {Close, nResult, {}, 0}; }
    static SDialogAction Fail(std::string strMessage, int nFocusId) {
        return {Message, 0, std::move(strMessage), nFocusId};
    }
};

// The outcome of a check: empty message when it passed.
struct SCheck {
    std::string strMessage;
    int nFocusId = 0;
    bool Ok() const { return strMessage.empty(); }
    static SCheck Pass() { return {}; }
};

// A toolkit-free dialog: control values by control id, enabled state, list
// contents, and one handler per button. A view binds widgets to it by id.
class CDialogModel {
public:
    virtual ~CDialogModel() = default;

    // Names the dialog class, e.g. "CParamEditor"; scripted UIs answer by it.
    virtual const char* GetDialogName() const = 0;
    // Button or list action with the control's id.
    virtual SDialogAction OnCommand(int nId) = 0;

    const std::string& GetText(int nId) const;
    void SetText(int nId, std::string strText) { m_mapTexts[nId] = std::move(strText); }
    int GetInt(int nId) const; // check box state or list selection; 0 when unset
    void SetInt(int nId, int nValue) { m_mapInts[nId] = nValue; }
    bool IsEnabled(int nId) const { return m_setDisabled.count(nId) == 0; }
    void Enable(int nId, bool bEnable);
    bool IsVisible(int nId) const { return m_setHidden.count(nId) == 0; }
    void Show(int nId, bool bShow);
    // Window title and button captions are fixed texts (UTF-8); control values
    // hold operator data as CP932 bytes.
    const std::string& GetTitle() const { return m_strTitle; }
    void SetTitle(std::string strTitle) { m_strTitle = std::move(strTitle); }
    const std::string& GetCaption(int nId) const;
    void SetCaption(int nId, std::string strCaption) { m_mapCaptions[nId] = std::move(strCaption); }
    const std::vector<std::string>& GetItems(int nId) const;
    void SetItems(int nId, std::vector<std::string> vecItems) { m_mapItems[nId] = std::move(vecItems); }

private:
    std::map<int, std::string> m_mapTexts;
    std::map<int, int> m_mapInts;
    std::set<int> m_setDisabled;
    std::set<int> m_setHidden;
    std::string m_strTitle;
    std::map<int, std::string> m_mapCaptions;
    std::map<int, std::vector<std::string>> m_mapItems;
};
