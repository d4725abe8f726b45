#pragma once
// The small dialogs of the single-node commands and of the runs over many
// nodes: what to do, where to send it, and what to do about a silent node.
#include "ui/DialogModel.h"

#include <string>

// The box "ﾈｯﾄﾜｰｸ外" has the same id on every dialog that offers it.
inline constexpr int IDC_NODECMD_OUTSIDE_NET = 1058;
inline constexpr int IDC_NODECMD_NOTICE = 1600; // the dialog's one line of text

// Mode change: the radio group and its six buttons.
inline constexpr int IDC_MODE_GROUP = 1610;
inline constexpr int IDC_MODE_FIRST = 1611; // 1611..1616, in the order of MODE_CODES
inline constexpr int MODE_CHOICE_COUNT = 6;
// The code each radio button sends, by its position.
inline constexpr int MODE_CODES[MODE_CHOICE_COUNT] = {0, 1, 2, 3, 7, 6};

// Initialisation of every node of one model.
inline constexpr int IDC_INITALL_MODEL = 1621; // drop-down list; GetInt: model index
inline constexpr int IDC_INITALL_MODEL_LABEL = LabelOf(IDC_INITALL_MODEL);

// A node that stayed silent during a run.
inline constexpr int IDC_NOREPLY_MAC = 1631; // read-only
inline constexpr int IDC_NOREPLY_MAC_LABEL = LabelOf(IDC_NOREPLY_MAC);
inline constexpr int IDC_NOREPLY_TEXT = 1632;
inline constexpr int IDC_NOREPLY_CONTINUE = 1633;
inline constexpr int IDC_NOREPLY_END = 1634;

// "設定の取得": one line of text and the box, which is cleared and disabled
// for a node that has no address (it can only be reached by broadcast).
class CGetParamDlg : public CDialogModel {
public:
    explicit CGetParamDlg(bool bNodeHasAddress);
    const char* GetDialogName() const override { return "CGetParamDlg"; }
    SDialogAction OnCommand(CUi& ui, int nId) override;
    bool IsOutsideNetwork() const { return GetInt(IDC_NODECMD_OUTSIDE_NET) != 0; }
};

// "モード変更": six radio buttons (the first preselected) and the box as above.
class CModeChangeDlg : public CDialogModel {
public:
    explicit CModeChangeDlg(bool bNodeHasAddress);
    const char* GetDialogName() const override { return "CModeChangeDlg"; }
    SDialogAction OnCommand(CUi& ui, int nId) override;
    bool IsOutsideNetwork() const { return GetInt(IDC_NODECMD_OUTSIDE_NET) != 0; }
    // The code of the chosen button.
    int GetModeCode() const;
};

// "初期化": an initialisation always goes by broadcast, so the box is cleared
// and disabled whatever the node.
class CInitializeDlg : public CDialogModel {
public:
    CInitializeDlg();
    const char* GetDialogName() const override { return "CInitializeDlg"; }
    SDialogAction OnCommand(CUi& ui, int nId) override;
};

// "一括初期化": the model whose nodes are initialised, the first preselected.
class CInitModelDlg : public CDialogModel {
public:
    CInitModelDlg();
    const char* GetDialogName() const override { return "CInitModelDlg"; }
    SDialogAction OnCommand(CUi& ui, int nId) override;
    int GetModel() const { return GetInt(IDC_INITALL_MODEL); }
};

// A node of a run did not answer: "継続" goes on with the next node, "終了"
// ends the run; closing the dialog goes on.
class CNoReplyDlg : public CDialogModel {
public:
    SDialogAction OnCommand(CUi& ui, int nId) override;
    // True when the end result means "終了".
    static bool IsEnd(int nResult) { return nResult == IDC_NOREPLY_END; }

protected:
    CNoReplyDlg(const char* pszTitle, const std::string& strMac);
};

class CInitErrorDlg : public CNoReplyDlg {
public:
    explicit CInitErrorDlg(const std::string& strMac);
    const char* GetDialogName() const override { return "CInitErrorDlg"; }
};

class CAutoSetErrorDlg : public CNoReplyDlg {
public:
    explicit CAutoSetErrorDlg(const std::string& strMac);
    const char* GetDialogName() const override { return "CAutoSetErrorDlg"; }
};
