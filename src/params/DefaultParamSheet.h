#pragma once
// The default-parameter editor: a property sheet with one page over the
// application's default node parameters.
#include "params/NodeParam.h"
#include "params/ParamControls.h"
#include "params/ParamTexts.h"
#include "ui/DialogModel.h"

#include <vector>

// The page "MRV-620ｼﾘｰｽﾞ". Its controls live on the sheet that shows it, so the
// page works on the sheet's values; it writes the defaults on apply, and its
// three sub-dialogs write them at once when they end with OK.
class CProp100X {
public:
    explicit CProp100X(NODEPARAM& param) : m_param(param) {}

    // The page's controls with their kinds and limits.
    static std::vector<SControl> GetControls();
    // The lists' items and every value from the defaults.
    void OnInitPage(CDialogModel& dlg) const;
    // Leaving the page: the checks without the no-communication timer.
    SCheck OnKillActive(const CDialogModel& dlg) const;
    // All checks, then the values into the defaults; nothing is copied on a failure.
    SCheck OnApply(const CDialogModel& dlg);
    // The three "設定画面" buttons; false for any other id.
    bool OnSubDialogButton(CUi& ui, int nId);
    // Whether the id is a control of the page (a change of it modifies the page).
    static bool IsPageControl(int nId);

    bool IsModified() const { return m_bModified; }
    void SetModified(bool bModified) { m_bModified = bModified; }
    // The values as the checks take them.
    static SParamPageTexts GatherTexts(const CDialogModel& dlg);

private:
    void CopyToParam(const CDialogModel& dlg);

    NODEPARAM& m_param;
    bool m_bModified = false;
};

// "ﾃﾞﾌｫﾙﾄﾊﾟﾗﾒｰﾀの設定": the page, OK, Cancel and Apply. OK and Apply leave
// the page, then apply it; Apply is enabled by a change of the page. Nothing
// here writes the INI file: the command saves after the sheet ended with OK.
class COXPropSheet : public CDialogModel {
public:
    explicit COXPropSheet(NODEPARAM& param);

    const char* GetDialogName() const override { return "COXPropSheet"; }
    SDialogAction OnCommand(CUi& ui, int nId) override;
    void OnChange(CUi& ui, int nId) override;

    CProp100X& GetPage() { return m_page; }

private:
    void SetPageModified(bool bModified);
    // Leave check, then apply; a failure keeps the sheet open.
    SCheck LeaveAndApply();

    CProp100X m_page;
};
