#pragma once
#include <cstddef>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

class CUi;

// End results of a modal dialog, and the commands of Enter and Escape.
inline constexpr int DIALOG_OK = 1;
inline constexpr int DIALOG_CANCEL = 2;

// What the view must do after a handler ran.
struct SDialogAction {
    enum EKind { Stay, Close, Message } eKind = Stay;
    int nResult = 0;        // with Close
    std::string strMessage; // with Message: shown in a message box (UTF-8)
    int nFocusId = 0;       // control that gets the focus, text selected; 0: none

    static SDialogAction StayOpen() { return {}; }
    static SDialogAction CloseWith(int nResult) { return {Close, nResult, {}, 0}; }
    static SDialogAction Fail(std::string strMessage, int nFocusId) {
        return {Message, 0, std::move(strMessage), nFocusId};
    }
    static SDialogAction Focus(int nFocusId) { return {Stay, 0, {}, nFocusId}; }
};

// The outcome of a check: empty message when it passed.
struct SCheck {
    std::string strMessage;
    int nFocusId = 0;
    bool Ok() const { return strMessage.empty(); }
    static SCheck Pass() { return {}; }
};

// Kinds of control. Edits hold text; drop-down lists, single-selection list
// boxes and report lists, check boxes and radio groups hold an integer.
enum class ECtl {
    Edit,
    DigitsEdit, // 0-9 only
    HexEdit,    // 0-9, A-F (lower case shown upper case) and control characters
    UpperEdit,  // letters upper-cased as typed
    ReadOnlyEdit,
    DropList,   // GetInt: selected item, -1 none
    ListBox,    // GetInt: selected row, -1 none; multi-selection: GetSelection
    ReportList, // rows of columns; selection as the list box
    CheckBox,   // GetInt: 0 or 1
    RadioGroup, // GetInt: index of the checked member, -1 none
    Button,
    Label,
    Group,
};

// One column of a report list.
struct SColumn {
    std::string strTitle; // UTF-8
    int nWidth = 0;       // pixels
};

// One control of a dialog: the single source of the rules its view applies.
struct SControl {
    int nId = 0;
    ECtl eKind = ECtl::Edit;
    size_t nLimit = 0;         // edits: at most this many CP932 bytes; 0: none
    bool bEnabled = true;      // initial state
    bool bVisible = true;      // initial state
    std::string strCaption;    // UTF-8; buttons, labels, check boxes, groups; empty: the form's
    bool bMultiSelect = false; // list box, report list
    std::vector<SColumn> vecColumns; // report list
    std::vector<int> vecMembers;     // radio group: the ids of its buttons, in order

    // An edit or a list, with its limit for an edit.
    static SControl Of(int nId, ECtl eKind, size_t nLimit = 0) {
        SControl control;
        control.nId = nId;
        control.eKind = eKind;
        control.nLimit = nLimit;
        return control;
    }
    // A button, label, check box or group with its fixed text.
    static SControl Captioned(int nId, ECtl eKind, std::string strCaption) {
        SControl control = Of(nId, eKind);
        control.strCaption = std::move(strCaption);
        return control;
    }
    static SControl Report(int nId, std::vector<SColumn> vecColumns, bool bMultiSelect = false) {
        SControl control = Of(nId, ECtl::ReportList);
        control.vecColumns = std::move(vecColumns);
        control.bMultiSelect = bMultiSelect;
        return control;
    }
    static SControl Radio(int nId, std::vector<int> vecMembers) {
        SControl control = Of(nId, ECtl::RadioGroup);
        control.vecMembers = std::move(vecMembers);
        return control;
    }
    SControl Hidden() && {
        bVisible = false;
        return std::move(*this);
    }
    SControl Disabled() && {
        bEnabled = false;
        return std::move(*this);
    }
};

// Static texts and groups get ids too, so that forms and tables can name them:
// the label that names control N has the id N + CTL_LABEL_OFFSET, and groups
// take ids from CTL_GROUP_FIRST up.
inline constexpr int CTL_LABEL_OFFSET = 10000;
inline constexpr int CTL_GROUP_FIRST = 20001;
inline constexpr int LabelOf(int nId) {
    return nId + CTL_LABEL_OFFSET;
}

// What a list reports to its handler.
enum class EListEvent { SelChange, DoubleClick };

// What an edit keeps of a text typed into it (CP932): the kind's characters,
// upper-casing, the byte limit without splitting a double-byte character.
std::string FilterInput(const SControl& control, const std::string& strTyped);

// A toolkit-free dialog: its controls in one table, their values by control
// id, and one handler per button or list event. A view binds widgets to it by id.
// Edit texts, list items and report cells are CP932 (operator data); the
// title and captions are UTF-8 fixed texts.
class CDialogModel {
public:
    virtual ~CDialogModel() = default;

    // Names the dialog class, e.g. "CParamEditor"; views and scripted UIs find it by this.
    virtual const char* GetDialogName() const = 0;
    // A button; DIALOG_OK for Enter and DIALOG_CANCEL for Escape or the close box.
    virtual SDialogAction OnCommand(CUi& ui, int nId) = 0;
    virtual SDialogAction OnListEvent(CUi& ui, int nId, EListEvent eEvent);
    // The operator changed a value (typed, ticked, chose); the view has stored it.
    virtual void OnChange(CUi& ui, int nId);
    // The UI closed this model's modeless window on its own (the program
    // ends): the model holds it open no longer.
    virtual void OnModelessClosed() {}
    // A window with a caption but no close box (nor minimise or maximise),
    // fixed in size: it is ended by its own buttons only.
    virtual bool HasCloseBox() const { return true; }

    const std::vector<SControl>& GetControls() const { return m_vecControls; }
    const SControl* FindControl(int nId) const;

    const std::string& GetText(int nId) const;
    void SetText(int nId, std::string strText) { m_mapTexts[nId] = std::move(strText); }
    // As the operator types: the control's filter and limit applied.
    void TypeText(int nId, const std::string& strTyped);
    int GetInt(int nId) const; // 0 when unset
    void SetInt(int nId, int nValue) { m_mapInts[nId] = nValue; }
    bool IsEnabled(int nId) const { return m_setDisabled.count(nId) == 0; }
    void Enable(int nId, bool bEnable);
    bool IsVisible(int nId) const { return m_setHidden.count(nId) == 0; }
    void Show(int nId, bool bShow);
    const std::string& GetTitle() const { return m_strTitle; }
    void SetTitle(std::string strTitle) { m_strTitle = std::move(strTitle); }
    const std::string& GetCaption(int nId) const;
    void SetCaption(int nId, std::string strCaption) { m_mapCaptions[nId] = std::move(strCaption); }
    // Items of a list box or drop-down list.
    const std::vector<std::string>& GetItems(int nId) const;
    void SetItems(int nId, std::vector<std::string> vecItems) {
        m_mapItems[nId] = std::move(vecItems);
    }
    // Rows of a report list, one text per column.
    const std::vector<std::vector<std::string>>& GetRows(int nId) const;
    void SetRows(int nId, std::vector<std::vector<std::string>> vecRows) {
        m_mapRows[nId] = std::move(vecRows);
    }
    // Selected rows of a multi-selection list, ascending.
    const std::vector<int>& GetSelection(int nId) const;
    void SetSelection(int nId, std::vector<int> vecRows) {
        m_mapSelections[nId] = std::move(vecRows);
    }

protected:
    // Declares the controls; their initial enabled and visible states and
    // captions take effect at once.
    void SetControls(std::vector<SControl> vecControls);

private:
    std::vector<SControl> m_vecControls;
    std::map<int, std::string> m_mapTexts;
    std::map<int, int> m_mapInts;
    std::set<int> m_setDisabled;
    std::set<int> m_setHidden;
    std::string m_strTitle;
    std::map<int, std::string> m_mapCaptions;
    std::map<int, std::vector<std::string>> m_mapItems;
    std::map<int, std::vector<std::vector<std::string>>> m_mapRows;
    std::map<int, std::vector<int>> m_mapSelections;
};
