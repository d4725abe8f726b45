#include "cli/CtlCommon.h"

#include "app/NodeListModel.h"
#include "doc/FileInfoDlg.h"
#include "doc/OrvixDoc.h"
#include "ops/NodeCommandDlgs.h"
#include "platform/Cp932.h"
#include "platform/IpText.h"
#include "registry/OXParam.h"
#include "res/Texts.h"

#include <algorithm>
#include <cstdio>

std::string Format(const char* pszFormat, const std::string& str) {
    char sz[1024];
    std::snprintf(sz, sizeof sz, pszFormat, str.c_str());
    return sz;
}

std::string Utf8(const std::string& strCp932) {
    return Cp932ToUtf8Lossy(strCp932);
}

bool BadInputText(CCtlUi& ui, const char* pszFormat, const std::string& str) {
    ui.Report(CTL_EXIT_BAD_INPUT, Format(pszFormat, str));
    return false;
}

bool BadInput(SCtlContext& ctx, const char* pszFormat, const std::string& str) {
    return BadInputText(ctx.ui, pszFormat, str);
}

bool IsHexMac(const std::string& str) {
    return str.size() == 12 && str.find_first_not_of("0123456789abcdefABCDEF") == std::string::npos;
}

std::string Upper(std::string str) {
    std::transform(str.begin(), str.end(), str.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return str;
}

bool HasCurrentNetwork(SCtlContext& ctx) {
    ctx.doc.UpdateAllViews();
    if (ctx.doc.m_pCurNet == nullptr) {
        ctx.ui.Report(CTL_EXIT_BAD_INPUT, TXT_CTL_ERR_NO_NETWORK);
        return false;
    }
    return true;
}

// A node of the current network by its MAC, its address or its row number
// (from 1, as listed); a name that fits several nodes is refused with them.
bool FindNode(SCtlContext& ctx, const std::string& strName, int& nIndex) {
    if (!HasCurrentNetwork(ctx)) {
        return false;
    }
    const std::vector<COXParam>& vecNodes = ctx.doc.m_pCurNet->m_arrNodes;
    std::vector<int> vecMatches;
    auto Collect = [&](auto fnMatch) {
        for (size_t i = 0; i < vecNodes.size(); ++i) {
            if (fnMatch(vecNodes[i])) {
                vecMatches.push_back(static_cast<int>(i));
            }
        }
    };
    if (IsHexMac(strName)) {
        std::string strMac = Upper(strName);
        Collect([&](const COXParam& node) { return Upper(node.m_strMac) == strMac; });
    } else if (!strName.empty() && strName.size() <= 4 &&
               strName.find_first_not_of("0123456789") == std::string::npos) {
        int nRow = std::stoi(strName);
        if (nRow >= 1 && static_cast<size_t>(nRow) <= vecNodes.size()) {
            vecMatches.push_back(nRow - 1);
        }
    } else if (strName.find('.') != std::string::npos) {
        uint32_t dwIp = 0;
        if (!ParseDottedStrict(strName, dwIp)) {
            return BadInput(ctx, TXT_CTL_ERR_BAD_ADDRESS, strName);
        }
        Collect([&](const COXParam& node) { return node.m_dwIp == dwIp; });
    }
    if (vecMatches.empty()) {
        return BadInput(ctx, TXT_CTL_ERR_UNKNOWN_NODE, strName);
    }
    if (vecMatches.size() > 1) {
        CJson& jsonMatches = ctx.result.json["matches"] = CJson::Array();
        std::string strList;
        for (int nMatch : vecMatches) {
            const COXParam& node = vecNodes[static_cast<size_t>(nMatch)];
            const std::string strIp = FormatIpHost(node.m_dwIp);
            char sz[128];
            std::snprintf(sz, sizeof sz, TXT_CTL_MATCH_FORMAT, nMatch + 1, node.m_strMac.c_str(),
                          strIp.c_str());
            strList += (strList.empty() ? "" : ", ") + std::string(sz);
            CJson json = CJson::Object();
            json.Set("row", CJson::Int(nMatch + 1));
            json.Set("mac", CJson::Str(node.m_strMac));
            json.Set("ip", CJson::Str(strIp));
            jsonMatches.Push(json);
        }
        std::string strText(strName.size() + strList.size() + 128, '\0');
        int nLen =
            std::snprintf(strText.data(), strText.size(), TXT_CTL_ERR_AMBIGUOUS_NODE,
                          strName.c_str(), static_cast<int>(vecMatches.size()), strList.c_str());
        strText.resize(static_cast<size_t>(std::max(nLen, 0)));
        ctx.ui.Report(CTL_EXIT_BAD_INPUT, strText);
        return false;
    }
    nIndex = vecMatches.front();
    return true;
}

// The MACs of several nodes, all found before anything is done.
bool FindNodes(SCtlContext& ctx, const std::vector<std::string>& vecNames,
               std::vector<std::string>& vecMacs) {
    for (const std::string& strName : vecNames) {
        int nIndex = -1;
        if (!FindNode(ctx, strName, nIndex)) {
            return false;
        }
        vecMacs.push_back(ctx.doc.GetNode(nIndex)->m_strMac);
    }
    return true;
}

// The first node of the current network with that address, as the batch finds it.
int IndexOfAddress(COrvixDoc& doc, uint32_t dwIp) {
    for (int i = 0; const COXParam* pNode = doc.GetNode(i); ++i) {
        if (pNode->m_dwIp == dwIp) {
            return i;
        }
    }
    return -1;
}

int IndexOfMac(COrvixDoc& doc, const std::string& strMac) {
    for (int i = 0; const COXParam* pNode = doc.GetNode(i); ++i) {
        if (pNode->m_strMac == strMac) {
            return i;
        }
    }
    return -1;
}

namespace {
CJson NodeJson(const COXParam& node, int nRow) {
    CJson json = CJson::Object();
    json.Set("row", CJson::Int(nRow + 1));
    json.Set("mac", CJson::Str(node.m_strMac));
    json.Set("ip", CJson::Str(FormatIpHost(node.m_dwIp)));
    json.Set("addressed", CJson::Bool(HasAddress(node)));
    json.Set("serial", CJson::Str(Utf8(node.m_strSerial)));
    json.Set("remarks", CJson::Str(Utf8(node.m_strRemarks)));
    return json;
}
} // namespace

// The current network's nodes as the manager's list shows them.
void ListNodes(SCtlContext& ctx, bool bAnswers) {
    CNodeListModel model;
    model.Rebuild(ctx.doc);
    CJson& json = ctx.result.json;
    json.Set("network", ctx.doc.m_pCurNet != nullptr
                            ? CJson::Str(Utf8(ctx.doc.m_pCurNet->m_strName))
                            : CJson());
    CJson& jsonNodes = json["nodes"] = CJson::Array();
    for (const SNodeListColumn& column : NODELIST_COLUMN_TABLE) {
        ctx.result.vecHeader.emplace_back(column.pszTitle);
    }
    if (bAnswers) {
        ctx.result.vecHeader.emplace_back("answered");
    }
    for (size_t nRow = 0; nRow < model.GetRowCount(); ++nRow) {
        std::vector<std::string> vecRow;
        for (int nColumn = 0; nColumn < NODELIST_COLUMNS; ++nColumn) {
            vecRow.push_back(model.GetText(nRow, nColumn));
        }
        if (const COXParam* pNode = ctx.doc.GetNode(static_cast<int>(nRow))) {
            CJson json = NodeJson(*pNode, static_cast<int>(nRow));
            if (bAnswers) {
                bool bAnswered = ctx.doc.m_contacts.AnsweredLastSearch(pNode->m_strMac);
                json.Set("answered", CJson::Bool(bAnswered));
                vecRow.emplace_back(bAnswered ? "yes" : "no");
            }
            jsonNodes.Push(json);
        }
        ctx.result.vecRows.push_back(vecRow);
    }
}

// The network of that name (UTF-8), by its position.
bool FindNetwork(SCtlContext& ctx, const std::string& strName, int& nIndex) {
    std::string strCp932;
    Utf8ToCp932(strName, strCp932);
    for (size_t i = 0; i < ctx.doc.m_arrNets.size(); ++i) {
        if (ctx.doc.m_arrNets[i]->m_strName == strCp932) {
            nIndex = static_cast<int>(i);
            return true;
        }
    }
    return BadInput(ctx, TXT_CTL_ERR_UNKNOWN_NETWORK, strName);
}

void SelectNetworkAt(SCtlContext& ctx, int nIndex) {
    ctx.doc.UpdateAllViews(); // numbers the networks' menu entries
    ctx.doc.SelectNetwork(NET_MENU_ID_BASE + static_cast<uint32_t>(nIndex));
}
// The listing dialog: its text kept, then closed.
CCtlUi::FnAnswer KeepListing(SCtlContext& ctx, std::string& strListing) {
    return [&ctx, &strListing](CDialogModel& dlg) {
        strListing = Utf8(dlg.GetText(IDC_FILEINFO_TEXT));
        return ctx.ui.Close(dlg, DIALOG_OK);
    };
}

// What a run over many nodes does about a silent one: the option's answer,
// and the node's MAC noted.
CCtlUi::FnAnswer SilenceAnswer(SCtlContext& ctx, std::vector<std::string>& vecSilent) {
    return [&ctx, &vecSilent](CDialogModel& dlg) {
        std::string strMac = dlg.GetText(IDC_NOREPLY_MAC);
        vecSilent.push_back(strMac);
        switch (ctx.args.eSilence) {
        case ECtlSilence::Continue:
            ctx.ui.Report(CTL_EXIT_NO_REPLY, std::string(TXT_NO_RESPONSE) + " (" + strMac + ")");
            return ctx.ui.Close(dlg, IDC_NOREPLY_CONTINUE);
        case ECtlSilence::Stop:
            ctx.ui.Report(CTL_EXIT_NO_REPLY, std::string(TXT_NO_RESPONSE) + " (" + strMac + ")");
            return ctx.ui.Close(dlg, IDC_NOREPLY_END);
        case ECtlSilence::Unanswered:
            break;
        }
        ctx.ui.Report(CTL_EXIT_UNANSWERED, Format(TXT_CTL_ERR_UNANSWERED_SILENCE, strMac));
        return ctx.ui.Close(dlg, IDC_NOREPLY_END);
    };
}

bool StopsBefore(SCtlContext& ctx, const std::vector<std::string>& vecMacs, size_t nFirst) {
    if (!ctx.doc.IsStopRequested()) {
        return false;
    }
    for (size_t i = nFirst; i < vecMacs.size(); ++i) {
        ctx.result.vecNotDone.push_back(vecMacs[i]);
    }
    return true;
}
