#include "app/CommandTable.h"
#include "registry/OXParam.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

TEST(CommandTable, EnableRulesFollowTheRegistryState) {
    COXParam unset;
    unset.m_dwIp = 0xC0A8C8FEu; // 192.168.200.254, model 0: no address
    COXParam addressed;
    addressed.m_dwIp = 0xC0A80105u;
    COXParam otherModel = unset;
    otherModel.m_nModel = 1;

    SCommandState none;
    SCommandState netOnly{true, 0, nullptr};
    SCommandState rows{true, 2, nullptr};
    SCommandState onUnset{true, 2, &unset};
    SCommandState onAddressed{true, 2, &addressed};
    SCommandState onOtherModel{true, 2, &otherModel};

    for (const SCommand& cmd : GetCommandTable()) {
        bool bAlways = cmd.eEnable == EEnable::Always;
        EXPECT_EQ(IsCommandEnabled(cmd.eEnable, none), bAlways) << cmd.nId;
    }
    EXPECT_TRUE(IsCommandEnabled(FindCommand(32782)->eEnable, netOnly));  // search
    EXPECT_FALSE(IsCommandEnabled(FindCommand(32785)->eEnable, netOnly)); // auto set needs rows
    EXPECT_TRUE(IsCommandEnabled(FindCommand(32785)->eEnable, rows));
    EXPECT_FALSE(IsCommandEnabled(FindCommand(32784)->eEnable, rows)); // get settings needs a row
    EXPECT_TRUE(IsCommandEnabled(FindCommand(32784)->eEnable, onUnset));
    // Single downloads need an address other than the unset one; file information
    // needs a node that has an address, which a node of another model always has.
    EXPECT_FALSE(IsCommandEnabled(FindCommand(32820)->eEnable, onUnset));
    EXPECT_TRUE(IsCommandEnabled(FindCommand(32822)->eEnable, onAddressed));
    EXPECT_FALSE(IsCommandEnabled(FindCommand(32822)->eEnable, onOtherModel));
    EXPECT_FALSE(IsCommandEnabled(FindCommand(32817)->eEnable, onUnset));
    EXPECT_TRUE(IsCommandEnabled(FindCommand(32817)->eEnable, onOtherModel));
}

TEST(CommandTable, AlwaysEnabledCommandsAreTheOnesThatNeedNoNetwork) {
    std::set<int> setAlways;
    for (const SCommand& cmd : GetCommandTable()) {
        if (cmd.eEnable == EEnable::Always) {
            setAlways.insert(cmd.nId);
        }
    }
    EXPECT_EQ(setAlways, (std::set<int>{57665, 32787, 32821, 32823, 32791, 59393, 57664, 57670}));
}

TEST(CommandTable, MenusNestAndNameOnlyKnownCommands) {
    for (const auto* pMenu : {&GetMainMenu(), &GetContextMenu()}) {
        int nDepth = 0;
        for (const SMenuEntry& entry : *pMenu) {
            if (entry.eKind == SMenuEntry::Popup) {
                ++nDepth;
            } else if (entry.eKind == SMenuEntry::End) {
                --nDepth;
                ASSERT_GE(nDepth, 0);
            } else if (entry.eKind == SMenuEntry::Command) {
                EXPECT_NE(FindCommand(entry.nId), nullptr) << entry.nId;
            }
        }
        EXPECT_EQ(nDepth, 0);
    }
    // The context menu repeats the management items without access keys.
    for (const SMenuEntry& entry : GetContextMenu()) {
        if (entry.eKind == SMenuEntry::Command) {
            const char* psz = FindCommand(entry.nId)->pszPopupLabel;
            ASSERT_NE(psz, nullptr) << entry.nId;
            EXPECT_EQ(std::string(psz).find("(&"), std::string::npos) << psz;
        } else if (entry.eKind == SMenuEntry::Popup) {
            EXPECT_EQ(std::string(entry.pszText).find("(&"), std::string::npos) << entry.pszText;
        }
    }
}
