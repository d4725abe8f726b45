#pragma once
#include "link/NodeResponse.h"
#include "ui/DialogModel.h"

#include <cstddef>
#include <cstdint>

// Control ids of the version dialog.
inline constexpr int IDC_VER_BOARD_ID = 1123;
inline constexpr int IDC_VER_KERNEL = 1124;
inline constexpr int IDC_VER_BOOT = 1125;
inline constexpr int IDC_VER_ROW_NAME = 1126;    // + 4 * row (0..9)
inline constexpr int IDC_VER_ROW_VERSION = 1127; // + 4 * row
inline constexpr int IDC_VER_ROW_SECTORS = 1128; // + 4 * row
inline constexpr int IDC_VER_ROW_HIDDEN = 1208;  // + row
inline constexpr int VER_MAX_ROWS = 10;
inline constexpr int IDC_VER_GROUP_SYSTEM = CTL_GROUP_FIRST;   // "システム情報"
inline constexpr int IDC_VER_GROUP_APPS = CTL_GROUP_FIRST + 1; // "アプリケーション情報"

// The version dialog, filled from a 0x0208 datagram. Texts stay CP932 bytes.
class CVersionInfoDlg : public CDialogModel {
public:
    // Bytes past nLen read as zero: a short table simply ends early.
    CVersionInfoDlg(const uint8_t* pData, size_t nLen);

    const char* GetDialogName() const override { return "CVersionInfoDlg"; }
    SDialogAction OnCommand(CUi& ui, int nId) override;

    static int RowName(int nRow) { return IDC_VER_ROW_NAME + 4 * nRow; }
    static int RowVersion(int nRow) { return IDC_VER_ROW_VERSION + 4 * nRow; }
    static int RowSectors(int nRow) { return IDC_VER_ROW_SECTORS + 4 * nRow; }
    static int RowHidden(int nRow) { return IDC_VER_ROW_HIDDEN + nRow; }
};
