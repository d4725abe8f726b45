#include "app/CommandTable.h"
#include "DocFixture.h"
#include "app/NodeListModel.h"
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
    EXPECT_EQ(setAlways, (std::set<int>{57665, 32787, 32821, 32823, 32791, 59393, 57664, 57670,
                                        32840, 32841}));
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

namespace {
// The registry states of the main window: which commands each one enables.
class CommandStates : public CDocFixture {
protected:
    void SetUp() override { MakeDoc(); }
    // Every command of the table enabled in the state the list sees.
    std::set<int> Enabled(int nSelected) {
        m_model.Rebuild(*m_pDoc);
        SCommandState state = m_model.GetCommandState(*m_pDoc, nSelected);
        std::set<int> set;
        for (const SCommand& cmd : GetCommandTable()) {
            if (IsCommandEnabled(cmd.eEnable, state)) {
                set.insert(cmd.nId);
            }
        }
        return set;
    }
    CNodeListModel m_model;
};

// Exit, network creation, batch downloads, default parameters, status bar, version box, help,
// the search interface.
const std::set<int> ALWAYS = {57665, 32787, 32821, 32823, 32791, 59393, 57664, 57670, 32840, 32841};

std::set<int> With(std::set<int> set, std::initializer_list<int> ids) {
    set.insert(ids);
    return set;
}
} // namespace

TEST_F(CommandStates, NoNetworkLeavesOnlyTheAlwaysEnabledCommands) {
    EXPECT_EQ(Enabled(-1), ALWAYS);
    EXPECT_EQ(Enabled(0), ALWAYS);
}

TEST_F(CommandStates, ANetworkWithoutNodesEnablesTheNetworkCommands) {
    AddNetworkWithNodes({});
    // Network properties and delete, searches, new node.
    const std::set<int> setNetwork = With(ALWAYS, {32772, 32788, 32782, 32816, 32814, 32789});
    EXPECT_EQ(Enabled(-1), setNetwork);
    EXPECT_EQ(Enabled(0), setNetwork); // no row to select
}

TEST_F(CommandStates, RowsWithoutASelectionAddTheCommandsOnAllRows) {
    AddNetworkWithNodes({{"0080C8000001", 0x0A000002u}});
    // Automatic setting and initialisation by model.
    EXPECT_EQ(Enabled(-1), With(ALWAYS, {32772, 32788, 32782, 32816, 32814, 32789, 32785, 32797}));
}

TEST_F(CommandStates, ASelectedNodeWithAnAddressEnablesEverything) {
    AddNetworkWithNodes({{"0080C8000001", 0x0A000002u}});
    std::set<int> setAll;
    for (const SCommand& cmd : GetCommandTable()) {
        setAll.insert(cmd.nId);
    }
    EXPECT_EQ(Enabled(0), setAll);
    EXPECT_EQ(Enabled(1), Enabled(-1)); // past the last row: no selection
}

TEST_F(CommandStates, ASelectedNodeOnTheUnsetAddressCannotTakeDownloadsOrFileInformation) {
    AddNetworkWithNodes({{"0080C8000001", 0xC0A8C8FEu}});
    std::set<int> setExpected;
    for (const SCommand& cmd : GetCommandTable()) {
        setExpected.insert(cmd.nId);
    }
    for (int nId : {32820, 32822, 32817}) {
        setExpected.erase(nId);
    }
    EXPECT_EQ(Enabled(0), setExpected);
}

TEST_F(CommandStates, ANodeOfAnotherModelOnTheUnsetAddressHasAnAddressButNoDownloads) {
    AddNetworkWithNodes({});
    ASSERT_TRUE(m_pDoc->AddOrUpdateNode(1, 0xC0A8C8FEu, "0080C8000001", true, "", ""));
    std::set<int> setExpected;
    for (const SCommand& cmd : GetCommandTable()) {
        setExpected.insert(cmd.nId);
    }
    setExpected.erase(32820);
    setExpected.erase(32822);
    EXPECT_EQ(Enabled(0), setExpected);
}

TEST(CommandTable, RegistryCommandsAreConnected) {
    for (int nId : {32787, 32772, 32788, 32789, 32793, 32790}) {
        ASSERT_NE(FindCommand(nId), nullptr) << nId;
        EXPECT_TRUE(FindCommand(nId)->fnHandler) << nId;
    }
}
