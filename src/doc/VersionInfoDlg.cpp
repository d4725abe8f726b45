#include "doc/VersionInfoDlg.h"

#include "res/Texts.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {
constexpr size_t VEROFS_BOARD_ID = 14;
constexpr size_t VEROFS_KERNEL = 28;
constexpr size_t VEROFS_BOOT = 30;
constexpr size_t VEROFS_TABLE = 32;
constexpr size_t VER_ENTRY_SIZE = 20;
constexpr size_t VER_TEXT_WIDTH = 14;

std::string TextField(const uint8_t* p) {
    // A text that fills all 14 bytes has no terminator; it ends with the field.
    size_t n = 0;
    while (n < VER_TEXT_WIDTH && p[n] != 0) {
        ++n;
    }
    return std::string(reinterpret_cast<const char*>(p), n);
}

std::string VersionText(uint8_t byMajor, uint8_t byMinor) {
    char sz[16];
    std::snprintf(sz, sizeof sz, "%d.%02d", static_cast<int8_t>(byMajor),
                  static_cast<int8_t>(byMinor));
    return sz;
}
// Read-only fields throughout; the column titles stand over the first row's fields.
std::vector<SControl> VersionInfoControls() {
    auto Label = [](int nId, const char* pszText) {
        return SControl::Captioned(LabelOf(nId), ECtl::Label, pszText);
    };
    std::vector<SControl> vec{
        SControl::Captioned(IDC_VER_GROUP_SYSTEM, ECtl::Group, TXT_VER_GROUP_SYSTEM),
        Label(IDC_VER_BOARD_ID, TXT_VER_BOARD_ID),
        SControl::Of(IDC_VER_BOARD_ID, ECtl::ReadOnlyEdit),
        Label(IDC_VER_KERNEL, TXT_VER_KERNEL),
        SControl::Of(IDC_VER_KERNEL, ECtl::ReadOnlyEdit),
        Label(IDC_VER_BOOT, TXT_VER_BOOT),
        SControl::Of(IDC_VER_BOOT, ECtl::ReadOnlyEdit),
        SControl::Captioned(IDC_VER_GROUP_APPS, ECtl::Group, TXT_VER_GROUP_APPS),
        Label(IDC_VER_ROW_NAME, TXT_VER_COL_NAME),
        Label(IDC_VER_ROW_VERSION, TXT_VER_COL_VERSION),
        Label(IDC_VER_ROW_SECTORS, TXT_VER_COL_SECTORS),
        Label(IDC_VER_ROW_HIDDEN, TXT_VER_COL_SECTORS).Hidden(),
    };
    for (int nRow = 0; nRow < VER_MAX_ROWS; ++nRow) {
        vec.push_back(SControl::Of(CVersionInfoDlg::RowName(nRow), ECtl::ReadOnlyEdit));
        vec.push_back(SControl::Of(CVersionInfoDlg::RowVersion(nRow), ECtl::ReadOnlyEdit));
        vec.push_back(SControl::Of(CVersionInfoDlg::RowSectors(nRow), ECtl::ReadOnlyEdit));
        vec.push_back(SControl::Of(CVersionInfoDlg::RowHidden(nRow), ECtl::ReadOnlyEdit).Hidden());
    }
    vec.push_back(SControl::Captioned(DIALOG_OK, ECtl::Button, TXT_VER_OK));
    return vec;
}
} // namespace

CVersionInfoDlg::CVersionInfoDlg(const uint8_t* pData, size_t nLen) {
    SetControls(VersionInfoControls());
    SetTitle(TXT_VER_TITLE);
    constexpr size_t nFull = VEROFS_TABLE + VER_ENTRY_SIZE * VER_MAX_ROWS;
    std::vector<uint8_t> vec(nFull, 0);
    std::memcpy(vec.data(), pData, nLen < nFull ? nLen : nFull);
    const uint8_t* p = vec.data();

    SetText(IDC_VER_BOARD_ID, TextField(p + VEROFS_BOARD_ID));
    SetText(IDC_VER_KERNEL, VersionText(p[VEROFS_KERNEL], p[VEROFS_KERNEL + 1]));
    SetText(IDC_VER_BOOT, VersionText(p[VEROFS_BOOT], p[VEROFS_BOOT + 1]));
    for (int k = 0; k < VER_MAX_ROWS; ++k) {
        const uint8_t* pEntry = p + VEROFS_TABLE + VER_ENTRY_SIZE * static_cast<size_t>(k);
        if (pEntry[0] == 0) {
            break;
        }
        char sz[16];
        SetText(RowName(k), TextField(pEntry));
        SetText(RowVersion(k), VersionText(pEntry[14], pEntry[15]));
        std::snprintf(sz, sizeof sz, "%d", (pEntry[16] << 8) | pEntry[17]);
        SetText(RowSectors(k), sz);
        std::snprintf(sz, sizeof sz, "%04X", pEntry[18] | (pEntry[19] << 8));
        SetText(RowHidden(k), sz);
    }
}

SDialogAction CVersionInfoDlg::OnCommand(CUi& /*ui*/, int nId) {
    if (nId == DIALOG_OK || nId == DIALOG_CANCEL) {
        return SDialogAction::CloseWith(DIALOG_OK);
    }
    return SDialogAction::StayOpen();
}
