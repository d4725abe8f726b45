#include "cli/CtlCommission.h"

#include "cli/CtlCommon.h"
#include "cli/CtlParamKeys.h"
#include "doc/OperationLog.h"
#include "doc/OrvixDoc.h"
#include "doc/VersionInfoDlg.h"
#include "link/NodeResponse.h"
#include "ops/GetVersionDlg.h"
#include "ops/MotImage.h"
#include "ops/NodeCommandDlgs.h"
#include "ops/NodeCommands.h"
#include "ops/NodeDlg.h"
#include "ops/NodeDownload.h"
#include "ops/NodeFiles.h"
#include "ops/NodeSearch.h"
#include "ops/RegistryCommands.h"
#include "ops/Rollout.h"
#include "params/ParamControls.h"
#include "params/ParamEditor.h"
#include "params/ParamFile.h"
#include "platform/Cp932.h"
#include "platform/HostAddress.h"
#include "platform/IpText.h"
#include "res/Texts.h"

#include <algorithm>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

namespace {
std::string Cp932Of(const std::string& strUtf8) {
    std::string str;
    Utf8ToCp932(strUtf8, str);
    return str;
}

// The record the individual setting sends: base with the node's address and
// the network's mask and gateway, as the settings dialog reads it back.
NODEPARAM Desired(const NODEPARAM& base, uint32_t dwIp, const CNetProperty& net) {
    NODEPARAM param = base;
    param.dwOwnIp = dwIp;
    param.dwSubnetMask = net.m_dwSubnetMask;
    param.dwGateway = net.m_dwGateway;
    CParamEditor editor(base);
    editor.Fill(param);
    return editor.ReadBack();
}

// A node's record as the settings dialog shows it, on the bytes of desired
// that the dialog never shows: what the two can differ in is what the dialog
// could change.
NODEPARAM Normalized(const NODEPARAM& own, const NODEPARAM& desired) {
    CParamEditor editor(desired);
    editor.Fill(own);
    return editor.ReadBack();
}

class CCommission {
public:
    CCommission(SCtlContext& ctx, const SManifest& manifest) : m_ctx(ctx), m_manifest(manifest) {
        for (const SManifestLine& line : manifest.vecLines) {
            SAsBuiltRow row;
            row.line = line;
            m_vecRows.push_back(std::move(row));
        }
    }

    std::vector<SAsBuiltRow>& Run() {
        for (SAsBuiltRow& row : m_vecRows) {
            if (Stopped()) {
                return m_vecRows;
            }
            Register(row);
        }
        if (Stopped()) {
            return m_vecRows;
        }
        SearchNodes(m_ctx.doc);
        for (SAsBuiltRow& row : m_vecRows) {
            if (Stopped()) {
                return m_vecRows;
            }
            if (row.strOutcome == ASBUILT_NOT_DONE) {
                Configure(row);
            }
        }
        LoadImages();
        for (SAsBuiltRow& row : m_vecRows) {
            if (Stopped()) {
                return m_vecRows;
            }
            if (row.strOutcome == ASBUILT_NOT_DONE) {
                Verify(row);
            }
        }
        return m_vecRows;
    }

private:
    // Per node between the steps.
    struct SWork {
        NODEPARAM own{};     // as read first
        NODEPARAM desired{}; // what the individual setting sends
        bool bSettingsSent = false;
        bool bImagePending = false;
        bool bImageLoaded = false;
    };

    bool Stopped() const { return m_ctx.doc.IsStopRequested(); }

    int IndexOf(const std::string& strMac) {
        for (int i = 0; const COXParam* pNode = m_ctx.doc.GetNode(i); ++i) {
            if (Upper(pNode->m_strMac) == strMac) {
                return i;
            }
        }
        return -1;
    }

    // The first failure said since message nMark.
    std::string FailureSince(size_t nMark) const {
        const auto& vecMessages = m_ctx.ui.GetMessages();
        for (size_t i = nMark; i < vecMessages.size(); ++i) {
            if (vecMessages[i].nExit != CTL_EXIT_OK) {
                return vecMessages[i].strText;
            }
        }
        return TXT_COMMISSION_NO_REPLY;
    }

    void Settle(SAsBuiltRow& row, const char* pszOutcome, std::string strDetail) {
        row.strOutcome = pszOutcome;
        row.strDetail = std::move(strDetail);
        row.nTime = static_cast<int64_t>(std::time(nullptr));
    }

    void Fail(SAsBuiltRow& row, const std::string& strWhy, int nExit) {
        Settle(row, ASBUILT_FAILED, strWhy);
        char sz[64];
        std::snprintf(sz, sizeof sz, "%d", row.line.nLine);
        std::string strText = TXT_COMMISSION_FAILED;
        strText.replace(strText.find("%s"), 2, row.line.strMac);
        strText.replace(strText.find("%d"), 2, sz);
        strText.replace(strText.find("%s"), 2, strWhy);
        m_ctx.ui.Report(nExit == CTL_EXIT_OK ? CTL_EXIT_FAILED : nExit, strText);
        m_ctx.doc.LogOperation(OPLOG_COMMISSION, row.line.strMac, row.line.dwIp, OPLOG_FAILED,
                               strWhy);
    }

    // Registered by the node dialog, or its serial number and remarks made
    // the manifest's through the node's properties.
    void Register(SAsBuiltRow& row) {
        const SManifestLine& line = row.line;
        int nIndex = IndexOf(line.strMac);
        const size_t nMark = m_ctx.ui.GetMessages().size();
        const bool bSerial = m_manifest.bSerialColumn;
        const bool bRemarks = m_manifest.bRemarksColumn;
        if (nIndex < 0) {
            m_ctx.ui.Answer("CNodeDlg", [&](CDialogModel& dlg) {
                if (!m_ctx.ui.Enter(dlg, IDC_NODE_MAC, line.strMac) ||
                    (bSerial && !m_ctx.ui.Enter(dlg, IDC_NODE_SERIAL, line.strSerial)) ||
                    (bRemarks && !m_ctx.ui.Enter(dlg, IDC_NODE_REMARKS, line.strRemarks))) {
                    return DIALOG_CANCEL;
                }
                return m_ctx.ui.Close(dlg, DIALOG_OK);
            });
            RegisterNode(m_ctx.doc, -1);
            if (IndexOf(line.strMac) < 0) {
                Fail(row, FailureSince(nMark), m_ctx.ui.GetExitSince(nMark));
                return;
            }
            row.vecChanged.emplace_back(ASBUILT_REGISTERED);
            return;
        }
        const COXParam& node = *m_ctx.doc.GetNode(nIndex);
        const bool bSerialDiffers = bSerial && node.m_strSerial != Cp932Of(line.strSerial);
        const bool bRemarksDiffer = bRemarks && node.m_strRemarks != Cp932Of(line.strRemarks);
        if (!bSerialDiffers && !bRemarksDiffer) {
            return;
        }
        m_ctx.ui.Answer("CNodeDlg", [&](CDialogModel& dlg) {
            if ((bSerialDiffers && !m_ctx.ui.Enter(dlg, IDC_NODE_SERIAL, line.strSerial)) ||
                (bRemarksDiffer && !m_ctx.ui.Enter(dlg, IDC_NODE_REMARKS, line.strRemarks))) {
                return DIALOG_CANCEL;
            }
            return m_ctx.ui.Close(dlg, DIALOG_OK);
        });
        ShowNodeProperties(m_ctx.doc, nIndex);
        if (m_ctx.ui.GetExitSince(nMark) != CTL_EXIT_OK) {
            Fail(row, FailureSince(nMark), m_ctx.ui.GetExitSince(nMark));
            return;
        }
        if (bSerialDiffers) {
            row.vecChanged.emplace_back(ASBUILT_SERIAL);
        }
        if (bRemarksDiffer) {
            row.vecChanged.emplace_back(ASBUILT_REMARKS);
        }
    }

    // The node's settings as "設定取得" shows them, nothing sent back.
    bool ReadSettings(int nIndex, NODEPARAM& param, std::string& strMode, std::string& strWhy) {
        bool bGot = false;
        m_ctx.ui.Answer("CGetParamDlg", [this](CDialogModel& dlg) {
            m_ctx.ui.Tick(dlg, IDC_NODECMD_OUTSIDE_NET, false);
            return m_ctx.ui.Close(dlg, DIALOG_OK);
        });
        m_ctx.ui.Answer("CParamEditor", [&](CDialogModel& dlg) {
            auto& editor = static_cast<CParamEditor&>(dlg);
            param = editor.ReadBack();
            strMode = Utf8(editor.GetText(IDC_PED_MODE));
            bGot = true;
            return m_ctx.ui.Close(dlg, DIALOG_CANCEL);
        });
        const size_t nMark = m_ctx.ui.GetMessages().size();
        GetNodeSettings(m_ctx.doc, nIndex);
        if (!bGot) {
            strWhy = FailureSince(nMark);
        }
        return bGot;
    }

    // The individual setting: the settings dialog filled from base, the
    // manifest's address typed in, "送信" by broadcast to the node's MAC.
    bool SendSettings(int nIndex, const NODEPARAM& base, uint32_t dwIp, std::string& strWhy,
                      int& nExit) {
        m_ctx.ui.Answer("CParamEditor", [&](CDialogModel& dlg) {
            if (!m_ctx.ui.Enter(dlg, IDC_PED_OWN_IP, FormatIpHost(dwIp))) {
                return DIALOG_CANCEL;
            }
            m_ctx.ui.Tick(dlg, IDC_PED_OUTSIDE_NET, false);
            return m_ctx.ui.Close(dlg, IDC_PED_SEND);
        });
        const size_t nMark = m_ctx.ui.GetMessages().size();
        SetNodeIndividually(m_ctx.doc, base, nIndex);
        nExit = m_ctx.ui.GetExitSince(nMark);
        if (nExit != CTL_EXIT_OK) {
            strWhy = FailureSince(nMark);
            return false;
        }
        return true;
    }

    bool ReadVersions(int nIndex, SAsBuiltRow& row, std::string& strWhy) {
        bool bGot = false;
        m_ctx.ui.Answer("CGetVersionDlg", [this](CDialogModel& dlg) {
            m_ctx.ui.Tick(dlg, IDC_GETVER_OUTSIDE, false);
            return m_ctx.ui.Close(dlg, DIALOG_OK);
        });
        m_ctx.ui.Answer("CVersionInfoDlg", [&](CDialogModel& dlg) {
            bGot = true;
            row.strKernel = dlg.GetText(IDC_VER_KERNEL);
            row.strBoot = dlg.GetText(IDC_VER_BOOT);
            row.vecApps.clear();
            for (int nRow = 0; nRow < VER_MAX_ROWS; ++nRow) {
                std::string strName = Utf8(dlg.GetText(CVersionInfoDlg::RowName(nRow)));
                if (strName.empty()) {
                    break;
                }
                row.vecApps.emplace_back(strName, dlg.GetText(CVersionInfoDlg::RowVersion(nRow)));
            }
            return m_ctx.ui.Close(dlg, DIALOG_OK);
        });
        const size_t nMark = m_ctx.ui.GetMessages().size();
        ShowNodeVersions(m_ctx.doc, nIndex);
        if (!bGot) {
            strWhy = FailureSince(nMark);
        }
        return bGot;
    }

    // Found, read, given its address and settings; its image noted for loading.
    void Configure(SAsBuiltRow& row) {
        const SManifestLine& line = row.line;
        const int nIndex = IndexOf(line.strMac);
        SWork& work = m_mapWork[line.strMac];
        if (nIndex < 0 || !m_ctx.doc.m_contacts.AnsweredLastSearch(line.strMac)) {
            char sz[160];
            std::snprintf(sz, sizeof sz, TXT_COMMISSION_SILENT, line.strMac.c_str(), line.nLine);
            Settle(row, ASBUILT_FAILED, TXT_COMMISSION_NO_REPLY);
            m_ctx.ui.Report(CTL_EXIT_NO_REPLY, sz);
            m_ctx.doc.LogOperation(OPLOG_COMMISSION, line.strMac, line.dwIp, OPLOG_FAILED,
                                   TXT_COMMISSION_NO_REPLY);
            return;
        }
        row.bAnswered = true;
        row.strFoundIp = FormatIpHost(m_ctx.doc.GetNode(nIndex)->m_dwIp);
        std::string strWhy;
        const size_t nMark = m_ctx.ui.GetMessages().size();
        if (!ReadSettings(nIndex, work.own, row.strFoundMode, strWhy)) {
            Fail(row, strWhy, m_ctx.ui.GetExitSince(nMark));
            return;
        }
        NODEPARAM base = work.own;
        if (!line.strParams.empty()) {
            CParamFile file;
            file.m_strPath = line.strParamsPath;
            file.LoadParams();
            base = file.m_param;
        }
        work.desired = Desired(base, line.dwIp, *m_ctx.doc.m_pCurNet);
        if (work.desired.dwDestIp == line.dwIp) {
            Fail(row, TXT_COMMISSION_NODE_DEST, CTL_EXIT_BAD_INPUT);
            return;
        }
        NODEPARAM ownSeen = Normalized(work.own, work.desired);
        if (std::memcmp(&ownSeen, &work.desired, sizeof ownSeen) != 0) {
            int nExit = CTL_EXIT_OK;
            if (!SendSettings(nIndex, base, line.dwIp, strWhy, nExit)) {
                Fail(row, strWhy, nExit);
                return;
            }
            work.bSettingsSent = true;
            row.vecChanged.emplace_back(ASBUILT_SETTINGS);
        }
        if (!ReadVersions(IndexOf(line.strMac), row, strWhy)) {
            Fail(row, strWhy, m_ctx.ui.GetExitSince(nMark));
            return;
        }
        work.bImagePending =
            !line.strImage.empty() && !IsImageListed(line.strImagePath, row.vecApps);
    }

    // The images: by rollouts, one per image, when --parallel asks for it;
    // else one node after the other through the single-node download.
    void LoadImages() {
        if (m_ctx.args.nParallel > 0) {
            for (const std::string& strPath : PendingImages()) {
                LoadImageInFlight(strPath);
            }
            return;
        }
        std::string strListing;
        m_ctx.ui.Answer("CFileInfoDlg", KeepListing(m_ctx, strListing));
        for (SAsBuiltRow& row : m_vecRows) {
            SWork& work = m_mapWork[row.line.strMac];
            if (row.strOutcome != ASBUILT_NOT_DONE || !work.bImagePending || Stopped()) {
                continue;
            }
            const size_t nMark = m_ctx.ui.GetMessages().size();
            m_ctx.ui.SetFileChoice(row.line.strImagePath);
            m_ctx.ui.SetOtherFailure(CTL_EXIT_FTP);
            int nResult =
                DownloadToSelectedNode(m_ctx.doc, IndexOf(row.line.strMac), DOWNLOAD_APPLICATION);
            m_ctx.ui.SetFileChoice("");
            m_ctx.ui.SetOtherFailure(CTL_EXIT_FAILED);
            if (nResult == DLRESULT_STOPPED) {
                continue; // back in operation, not done
            }
            if (nResult != FTPRUN_OK) {
                Fail(row, FailureSince(nMark), m_ctx.ui.GetExitSince(nMark));
                continue;
            }
            work.bImageLoaded = true;
            row.vecChanged.emplace_back(ASBUILT_IMAGE);
        }
    }

    bool ImagePending(const SAsBuiltRow& row) {
        return row.strOutcome == ASBUILT_NOT_DONE && m_mapWork[row.line.strMac].bImagePending;
    }

    // The images the nodes still need, in the manifest's order.
    std::vector<std::string> PendingImages() {
        std::vector<std::string> vecPaths;
        for (const SAsBuiltRow& row : m_vecRows) {
            if (ImagePending(row) && std::find(vecPaths.begin(), vecPaths.end(),
                                               row.line.strImagePath) == vecPaths.end()) {
                vecPaths.push_back(row.line.strImagePath);
            }
        }
        return vecPaths;
    }

    // One image into every node that needs it, up to --parallel at once; a
    // node counts as loaded when its versions listed it.
    void LoadImageInFlight(const std::string& strPath) {
        std::vector<SAsBuiltRow*> vecRows;
        std::vector<std::string> vecMacs;
        for (SAsBuiltRow& row : m_vecRows) {
            if (ImagePending(row) && row.line.strImagePath == strPath) {
                vecRows.push_back(&row);
                vecMacs.push_back(m_ctx.doc.GetNode(IndexOf(row.line.strMac))->m_strMac);
            }
        }
        if (vecRows.empty() || Stopped()) {
            return;
        }
        SRolloutPlan plan;
        plan.strPath = strPath;
        plan.nKind = DOWNLOAD_APPLICATION;
        plan.nParallel = static_cast<size_t>(m_ctx.args.nParallel);
        CRollout rollout(m_ctx.doc, plan, vecMacs);
        RunWatchedRollout(m_ctx, rollout, plan);
        const std::vector<SRolloutNode>& vecNodes = rollout.GetNodes();
        for (size_t i = 0; i < vecRows.size() && i < vecNodes.size(); ++i) {
            SAsBuiltRow& row = *vecRows[i];
            switch (vecNodes[i].eResult) {
            case ERolloutResult::Loaded:
                m_mapWork[row.line.strMac].bImageLoaded = true;
                row.vecChanged.emplace_back(ASBUILT_IMAGE);
                break;
            case ERolloutResult::NotDone:
                break; // back in operation, not done
            case ERolloutResult::Waiting:
            case ERolloutResult::Failed:
                Fail(row, RolloutReason(vecNodes[i]),
                     RolloutNodeExit(vecNodes[i], m_ctx.doc.GetStopReason()));
                break;
            }
        }
    }

    // Read back and compared with the manifest: what was sent is read again.
    void Verify(SAsBuiltRow& row) {
        const SManifestLine& line = row.line;
        SWork& work = m_mapWork[line.strMac];
        const int nIndex = IndexOf(line.strMac);
        NODEPARAM own = work.own;
        std::string strWhy;
        std::string strMode;
        const size_t nMark = m_ctx.ui.GetMessages().size();
        if (work.bSettingsSent && !ReadSettings(nIndex, own, strMode, strWhy)) {
            Fail(row, strWhy, m_ctx.ui.GetExitSince(nMark));
            return;
        }
        if (work.bImageLoaded && !ReadVersions(nIndex, row, strWhy)) {
            Fail(row, strWhy, m_ctx.ui.GetExitSince(nMark));
            return;
        }
        row.strOwnIp = FormatIpHost(own.dwOwnIp);
        std::vector<std::string> vecFields;
        const CNetProperty& net = *m_ctx.doc.m_pCurNet;
        if (own.dwOwnIp != line.dwIp) {
            vecFields.emplace_back("ip");
        }
        if (own.dwSubnetMask != net.m_dwSubnetMask) {
            vecFields.emplace_back("mask");
        }
        if (own.dwGateway != net.m_dwGateway) {
            vecFields.emplace_back("gateway");
        }
        auto vecWanted = RenderParamFile(work.desired);
        auto vecSeen = RenderParamFile(Normalized(own, work.desired));
        for (size_t i = 0; i < vecWanted.size() && i < vecSeen.size(); ++i) {
            if (vecWanted[i].second != vecSeen[i].second) {
                vecFields.push_back(vecWanted[i].first);
            }
        }
        if (!line.strImage.empty() && !IsImageListed(line.strImagePath, row.vecApps)) {
            vecFields.emplace_back(ASBUILT_IMAGE);
        }
        if (const COXParam* pNode = m_ctx.doc.GetNode(nIndex)) {
            if (m_manifest.bSerialColumn && pNode->m_strSerial != Cp932Of(line.strSerial)) {
                vecFields.emplace_back(ASBUILT_SERIAL);
            }
            if (m_manifest.bRemarksColumn && pNode->m_strRemarks != Cp932Of(line.strRemarks)) {
                vecFields.emplace_back(ASBUILT_REMARKS);
            }
        }
        if (vecFields.empty()) {
            std::string strChanged;
            for (const std::string& str : row.vecChanged) {
                strChanged += (strChanged.empty() ? "" : ", ") + str;
            }
            Settle(row, ASBUILT_OK, "");
            m_ctx.doc.LogOperation(OPLOG_COMMISSION, line.strMac, line.dwIp, OPLOG_OK,
                                   strChanged.empty() ? TXT_COMMISSION_UNCHANGED : strChanged);
            return;
        }
        std::string strFields;
        for (const std::string& str : vecFields) {
            strFields += (strFields.empty() ? "" : ", ") + str;
        }
        Settle(row, ASBUILT_MISMATCH, strFields);
        char szLine[32];
        std::snprintf(szLine, sizeof szLine, "%d", line.nLine);
        std::string strText = TXT_COMMISSION_MISMATCH;
        strText.replace(strText.find("%s"), 2, line.strMac);
        strText.replace(strText.find("%d"), 2, szLine);
        strText.replace(strText.find("%s"), 2, strFields);
        m_ctx.ui.Report(CTL_EXIT_FAILED, strText);
        m_ctx.doc.LogOperation(OPLOG_COMMISSION, line.strMac, line.dwIp, OPLOG_MISMATCH, strFields);
    }

    SCtlContext& m_ctx;
    const SManifest& m_manifest;
    std::vector<SAsBuiltRow> m_vecRows;
    std::map<std::string, SWork> m_mapWork;
};

// Reads the manifest file; false after the refusal.
bool ReadManifestFile(SCtlContext& ctx, const std::string& strPath, SManifest& manifest) {
    std::ifstream in(strPath, std::ios::binary);
    struct stat st {};
    if (!in || ::stat(strPath.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return BadInput(ctx, TXT_MANIFEST_UNREADABLE, strPath);
    }
    std::string strRaw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string strText;
    if (!ManifestTextToUtf8(strRaw, strText)) {
        return BadInput(ctx, "%s", strPath + ": " + TXT_MANIFEST_ENCODING);
    }
    // Its files are named from its folder; the client is given absolute paths.
    std::error_code ec;
    std::string strDir = std::filesystem::absolute(strPath, ec).parent_path().string();
    manifest =
        ParseManifest(strText, strDir.empty() || strDir.back() == '/' ? strDir : strDir + "/");
    return true;
}

SPlantFacts PlantFacts(SCtlContext& ctx) {
    SPlantFacts facts;
    facts.dwMask = ctx.doc.m_pCurNet->m_dwSubnetMask;
    facts.dwGateway = ctx.doc.m_pCurNet->m_dwGateway;
    facts.dwDefaultDest = ctx.paramFile.m_param.dwDestIp;
    facts.vecRegistered = ctx.doc.m_pCurNet->m_arrNodes;
    facts.fnPcAddresses = GetPcAddresses;
    facts.fnLoadParams = [](const std::string& strPath, NODEPARAM& param, std::string& strWhy) {
        if (::access(strPath.c_str(), R_OK) != 0) {
            strWhy = Format(TXT_MANIFEST_NO_PARAMS, strPath);
            return false;
        }
        if (!IsParamFile(strPath)) {
            strWhy = Format(TXT_MANIFEST_NOT_PARAMS, strPath);
            return false;
        }
        CParamFile file;
        file.m_strPath = strPath;
        file.LoadParams();
        param = file.m_param;
        return true;
    };
    facts.fnCheckImage = [](const std::string& strPath, std::string& strWhy) {
        return CheckDownloadFile(strPath, strWhy);
    };
    return facts;
}
} // namespace

void RunCommission(SCtlContext& ctx) {
    if (!HasCurrentNetwork(ctx)) {
        return;
    }
    const std::string& strPath = ctx.args.vecArgs[0];
    // A new record, never one merged into a file that is there.
    struct stat st {};
    if (!ctx.args.strReport.empty() && !ctx.args.bForce &&
        ::lstat(ctx.args.strReport.c_str(), &st) == 0) {
        BadInput(ctx, TXT_CTL_ERR_EXISTS, ctx.args.strReport);
        return;
    }
    SManifest manifest;
    if (!ReadManifestFile(ctx, strPath, manifest)) {
        return;
    }
    CheckManifest(manifest, PlantFacts(ctx));
    ctx.result.json.Set("manifest", CJson::Str(strPath));
    ctx.result.json.Set("network", CJson::Str(Utf8(ctx.doc.m_pCurNet->m_strName)));
    CJson& jsonProblems = ctx.result.json["problems"] = CJson::Array();
    for (const SManifestProblem& problem : manifest.vecProblems) {
        CJson json = CJson::Object();
        json.Set("line", CJson::Int(problem.nLine));
        json.Set("text", CJson::Str(problem.strText));
        jsonProblems.Push(json);
        char szLine[32];
        std::snprintf(szLine, sizeof szLine, "%d", problem.nLine);
        std::string strText = TXT_MANIFEST_LOCATION;
        strText.replace(strText.find("%s"), 2, strPath);
        strText.replace(strText.find("%d"), 2, szLine);
        strText.replace(strText.find("%s"), 2, problem.strText);
        ctx.ui.Report(CTL_EXIT_BAD_INPUT, strText);
    }
    if (!manifest.vecProblems.empty()) {
        return; // nothing is sent for a manifest with a fault
    }
    if (ctx.args.bCheck) {
        char sz[128];
        std::snprintf(sz, sizeof sz, TXT_MANIFEST_CHECKED,
                      static_cast<int>(manifest.vecLines.size()));
        ctx.result.vecLines.emplace_back(sz);
        return;
    }
    CCommission commission(ctx, manifest);
    std::vector<SAsBuiltRow>& vecRows = commission.Run();
    for (SAsBuiltRow& row : vecRows) {
        if (row.strOutcome == ASBUILT_NOT_DONE) {
            row.strDetail = TXT_COMMISSION_NOT_DONE;
            ctx.result.vecNotDone.push_back(row.line.strMac);
        }
    }
    PutAsBuilt(ctx, vecRows, ctx.args.strReport);
}
