#pragma once
// Which interfaces a broadcast leaves through: all that can broadcast, or
// the one an operator chose. Callable from any front end.
#include "platform/NetInterfaces.h"
#include "ui/DialogModel.h"

#include <string>
#include <vector>

class COrvixDoc;

inline constexpr int IDC_ITF_LIST = 1740; // drop-down list: 0 all, then one per interface
inline constexpr int IDC_ITF_LIST_LABEL = LabelOf(IDC_ITF_LIST);

// Broadcasts of the document leave through the PC's own interfaces (every
// one, or the chosen one) from now on; until then the routing table decides.
void UseSystemInterfaces(COrvixDoc& doc);
// The interfaces a broadcast can leave through now, in the system's order.
std::vector<SNetInterface> ListSearchInterfaces(COrvixDoc& doc);
// The chosen interface's name; empty: all.
std::string GetSearchInterface(COrvixDoc& doc);
// Chooses the interface by name (empty: all). False, and nothing changed,
// when no interface of that name can broadcast now.
bool SetSearchInterface(COrvixDoc& doc, const std::string& strName);

// "検索ｲﾝﾀｰﾌｪｰｽ": all interfaces, or one of the listed ones.
class CSearchInterfaceDlg : public CDialogModel {
public:
    // strChoice: the current choice; one that is not listed opens as "all".
    CSearchInterfaceDlg(std::vector<SNetInterface> vecInterfaces, const std::string& strChoice);

    const char* GetDialogName() const override { return "CSearchInterfaceDlg"; }
    SDialogAction OnCommand(CUi& ui, int nId) override;

    // After OK: the chosen name, empty for all.
    std::string GetChoice() const;

private:
    std::vector<SNetInterface> m_vecInterfaces;
};

// The menu command: the dialog, then the choice.
void ChooseSearchInterface(COrvixDoc& doc);
