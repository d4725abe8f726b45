// mrvctl's command line: what each form reads as, and every form refused with
// its exit status and message.
#include "cli/CtlArgs.h"

#include <gtest/gtest.h>

namespace {
struct SParsed {
    int nExit;
    std::string strError;
    SCtlArgs args;
};

SParsed Parse(std::vector<std::string> vec) {
    vec.insert(vec.begin(), "mrvctl");
    SParsed parsed;
    parsed.nExit = ParseCtlArgs(vec, parsed.args, parsed.strError);
    return parsed;
}

void ExpectRefused(const std::vector<std::string>& vec, const std::string& strError) {
    SParsed parsed = Parse(vec);
    EXPECT_EQ(parsed.nExit, 2) << ::testing::PrintToString(vec);
    EXPECT_EQ(parsed.strError, strError) << ::testing::PrintToString(vec);
}
} // namespace

TEST(CtlArgs, GlobalOptionsGoBeforeOrAfterTheCommand) {
    SParsed before =
        Parse({"--json", "-f", "plant.dat", "--network", "LINE 1", "--interface", "eth1", "nodes"});
    ASSERT_EQ(before.nExit, 0) << before.strError;
    SParsed after =
        Parse({"nodes", "list", "--file=plant.dat", "-j", "-n", "LINE 1", "-i", "eth1"});
    ASSERT_EQ(after.nExit, 0) << after.strError;
    for (const SParsed* p : {&before, &after}) {
        EXPECT_EQ(p->args.eCommand, ECtlCommand::Nodes);
        EXPECT_EQ(p->args.strAction, "list");
        EXPECT_TRUE(p->args.bJson);
        EXPECT_EQ(p->args.strDataFile, "plant.dat");
        EXPECT_EQ(p->args.strNetwork, "LINE 1");
        EXPECT_EQ(p->args.strInterface, "eth1");
        EXPECT_TRUE(p->args.vecArgs.empty());
    }
    EXPECT_TRUE(Parse({"-q", "search"}).args.bQuiet);
    EXPECT_TRUE(Parse({"search", "--quiet"}).args.bQuiet);
    EXPECT_TRUE(Parse({"-v", "files", "1"}).args.bVerbose);
    EXPECT_TRUE(Parse({"files", "1", "--verbose"}).args.bVerbose);
    EXPECT_FALSE(Parse({"search"}).args.bQuiet || Parse({"search"}).args.bVerbose);
}

TEST(CtlArgs, EachCommandReadsItsArgumentsAndOptions) {
    SParsed net =
        Parse({"networks", "add", "PLANT", "--mask", "255.255.0.0", "--gateway", "10.0.0.1"});
    ASSERT_EQ(net.nExit, 0) << net.strError;
    EXPECT_EQ(net.args.strAction, "add");
    EXPECT_EQ(net.args.vecArgs, std::vector<std::string>{"PLANT"});
    EXPECT_TRUE(net.args.bHasMask);
    EXPECT_EQ(net.args.strMask, "255.255.0.0");
    EXPECT_EQ(net.args.strGateway, "10.0.0.1");

    SParsed search = Parse({"search", "--ip", "192.168.1.5,192.168.1.6", "--ip", "10.1.1.1"});
    ASSERT_EQ(search.nExit, 0) << search.strError;
    EXPECT_EQ(search.args.vecIps,
              (std::vector<std::string>{"192.168.1.5", "192.168.1.6", "10.1.1.1"}));
    EXPECT_FALSE(search.args.bRefresh);
    EXPECT_TRUE(Parse({"search", "--refresh"}).args.bRefresh);

    SParsed autoset = Parse(
        {"autoset", "--base", "192.168.1.100", "--increment", "5", "--on-silence", "continue"});
    ASSERT_EQ(autoset.nExit, 0) << autoset.strError;
    EXPECT_EQ(autoset.args.strBase, "192.168.1.100");
    EXPECT_EQ(autoset.args.strIncrement, "5");
    EXPECT_EQ(autoset.args.eSilence, ECtlSilence::Continue);
    EXPECT_EQ(Parse({"autoset", "--base", "1.2.3.4"}).args.strIncrement, "1");
    EXPECT_EQ(Parse({"autoset", "--base", "1.2.3.4"}).args.eSilence, ECtlSilence::Unanswered);

    SParsed set = Parse({"set-params", "1", "0080D4000001", "192.168.1.9", "--from", "a.ini",
                         "--set", "Mtu=1400", "--set", "Name=Line 3", "--outside-network"});
    ASSERT_EQ(set.nExit, 0) << set.strError;
    EXPECT_EQ(set.args.vecArgs, (std::vector<std::string>{"1", "0080D4000001", "192.168.1.9"}));
    EXPECT_EQ(set.args.strFrom, "a.ini");
    EXPECT_EQ(set.args.vecSets, (std::vector<std::string>{"Mtu=1400", "Name=Line 3"}));
    EXPECT_TRUE(set.args.bOutside);
    SParsed fromDefaults = Parse({"--defaults-file", "d.ini", "set-params", "1", "--defaults"});
    ASSERT_EQ(fromDefaults.nExit, 0) << fromDefaults.strError;
    EXPECT_TRUE(fromDefaults.args.bDefaults);
    EXPECT_EQ(fromDefaults.args.strDefaultsFile, "d.ini");

    SParsed expect = Parse({"search", "--expect", "12"});
    ASSERT_EQ(expect.nExit, 0) << expect.strError;
    EXPECT_EQ(expect.args.nExpect, 12);
    EXPECT_TRUE(Parse({"search", "--expect-all"}).args.bExpectAll);

    SParsed mode = Parse({"mode", "3", "7"});
    ASSERT_EQ(mode.nExit, 0) << mode.strError;
    EXPECT_EQ(mode.args.nMode, 7);

    SParsed download = Parse({"download", "app", "a.mot", "1", "2", "3", "--retry", "2"});
    ASSERT_EQ(download.nExit, 0) << download.strError;
    EXPECT_EQ(download.args.strAction, "app");
    EXPECT_EQ(download.args.vecArgs, (std::vector<std::string>{"a.mot", "1", "2", "3"}));
    EXPECT_EQ(download.args.nRetry, 2);
    EXPECT_EQ(download.args.nParallel, 0) << "not given: the batch";
    SParsed rollout = Parse({"download", "kernel", "k.mot", "--all", "--parallel", "64"});
    ASSERT_EQ(rollout.nExit, 0) << rollout.strError;
    EXPECT_TRUE(rollout.args.bAll);
    EXPECT_EQ(rollout.args.nParallel, 64);
    EXPECT_EQ(rollout.args.vecArgs, std::vector<std::string>{"k.mot"});

    SParsed init = Parse({"init", "--model", "MRV-620", "--yes", "--on-silence", "stop"});
    ASSERT_EQ(init.nExit, 0) << init.strError;
    EXPECT_TRUE(init.args.bModel);
    EXPECT_TRUE(init.args.bYes);
    EXPECT_EQ(init.args.eSilence, ECtlSilence::Stop);

    SParsed defaults = Parse({"defaults"});
    ASSERT_EQ(defaults.nExit, 0) << defaults.strError;
    EXPECT_EQ(defaults.args.eCommand, ECtlCommand::Defaults);
    EXPECT_EQ(Parse({"defaults", "show"}).args.strAction, "show");

    // After "--" a word that looks like an option is a name.
    SParsed dashes = Parse({"networks", "add", "--", "--odd"});
    ASSERT_EQ(dashes.nExit, 0) << dashes.strError;
    EXPECT_EQ(dashes.args.vecArgs, std::vector<std::string>{"--odd"});
}

TEST(CtlArgs, HelpAndVersionEndTheParseWithTheirFlag) {
    SParsed help = Parse({"--help"});
    EXPECT_EQ(help.nExit, 0);
    EXPECT_TRUE(help.args.bHelp);
    EXPECT_EQ(help.args.eCommand, ECtlCommand::None);

    SParsed commandHelp = Parse({"download", "--help"});
    EXPECT_EQ(commandHelp.nExit, 0);
    EXPECT_TRUE(commandHelp.args.bHelp);
    EXPECT_EQ(commandHelp.args.eCommand, ECtlCommand::Download);
    EXPECT_NE(std::string(GetCtlHelp(ECtlCommand::Download)).find("[--parallel N] [--retry K]"),
              std::string::npos);

    SParsed helpWord = Parse({"help", "autoset"});
    EXPECT_EQ(helpWord.nExit, 0);
    EXPECT_EQ(helpWord.args.eCommand, ECtlCommand::AutoSet);
    EXPECT_TRUE(helpWord.args.bHelp);

    EXPECT_TRUE(Parse({"-V"}).args.bVersion);
    EXPECT_EQ(Parse({"--version"}).nExit, 0);
}

TEST(CtlArgs, EveryMalformedCommandLineIsRefusedWithItsReason) {
    ExpectRefused({}, "no command given");
    ExpectRefused({"--json"}, "no command given");
    ExpectRefused({"bogus"}, "unknown command 'bogus'");
    ExpectRefused({"nodes", "--bogus"}, "unknown option '--bogus'");
    ExpectRefused({"nodes", "-x"}, "unknown option '-x'");
    ExpectRefused({"nodes", "--file"}, "option '--file' needs a value");
    ExpectRefused({"nodes", "-f"}, "option '-f' needs a value");
    ExpectRefused({"-q", "search", "-v"}, "--quiet and --verbose exclude each other");
    ExpectRefused({"search", "--mask", "255.0.0.0"},
                  "option '--mask' does not belong to this command");
    ExpectRefused({"--retry", "2", "files", "1"},
                  "option '--retry' does not belong to this command");
    ExpectRefused({"networks", "rename"}, "unknown action 'rename'");
    ExpectRefused({"networks", "add"}, "missing NAME");
    ExpectRefused({"networks", "list", "extra"}, "too many arguments from 'extra' on");
    ExpectRefused({"nodes", "add"}, "missing MAC");
    ExpectRefused({"nodes", "add", "0080D4000001", "--ip", "1.1.1.1,2.2.2.2"},
                  "too many arguments from '2.2.2.2' on");
    ExpectRefused({"nodes", "set", "1"}, "nothing to change: give --serial, --remarks or --ip");
    ExpectRefused({"autoset"}, "missing --base");
    ExpectRefused({"autoset", "--base", "1.2.3.4", "--on-silence", "maybe"},
                  "'maybe' is neither continue nor stop");
    ExpectRefused({"get-params"}, "missing NODE");
    ExpectRefused({"get-params", "1", "2"}, "too many arguments from '2' on");
    ExpectRefused({"set-params"}, "missing NODE");
    ExpectRefused({"set-params", "1", "--set", "Mtu"}, "'Mtu' is not KEY=VALUE");
    ExpectRefused({"set-params", "1", "--set", "=1"}, "'=1' is not KEY=VALUE");
    ExpectRefused({"mode", "1"}, "missing MODE");
    ExpectRefused({"mode", "1", "5"}, "mode '5' is none of 0, 1, 2, 3, 6, 7");
    ExpectRefused({"mode", "1", "setup"}, "mode 'setup' is none of 0, 1, 2, 3, 6, 7");
    ExpectRefused({"init"}, "missing NODE");
    ExpectRefused({"init", "--model", "MRV-999"}, "unknown model 'MRV-999' (only MRV-620)");
    ExpectRefused({"download", "flash", "a.mot", "1"}, "'flash' is neither kernel nor app");
    ExpectRefused({"download", "app", "a.mot"}, "missing NODE");
    ExpectRefused({"download", "app", "a.mot", "1", "--retry", "100"},
                  "'100' is not a whole number in range");
    ExpectRefused({"download", "app", "a.mot", "1", "--retry", "-1"},
                  "'-1' is not a whole number in range");
    ExpectRefused({"download", "app", "a.mot", "1", "--parallel", "0"},
                  "'0' is not a whole number in range");
    ExpectRefused({"download", "app", "a.mot", "1", "--parallel", "65"},
                  "'65' is not a whole number in range");
    ExpectRefused({"download", "app", "a.mot", "1", "--all"}, "too many arguments from '1' on");
    ExpectRefused({"download", "app", "--all"}, "missing FILE");
    ExpectRefused({"files", "1", "--parallel", "2"},
                  "option '--parallel' does not belong to this command");
    ExpectRefused({"delete-app", "1"}, "missing NAME");
    ExpectRefused({"defaults", "reset"}, "unknown action 'reset'");
    ExpectRefused({"set-params", "1", "--from", "a.ini", "--defaults"},
                  "--from and --defaults exclude each other");
    ExpectRefused({"search", "--expect", "x"}, "'x' is not a whole number in range");
}

TEST(CtlArgs, AddressesAreFourDecimalPartsAndMasksContiguous) {
    // What the dialogs' parser would read as 1.2.0.3, 192.168.0.5, 10.0.0.1.
    ExpectRefused({"networks", "add", "N", "--gateway", "1.2.3"},
                  "'1.2.3' is not an address of four decimal parts");
    ExpectRefused({"nodes", "add", "0080D4000001", "--ip", "192.168.5"},
                  "'192.168.5' is not an address of four decimal parts");
    ExpectRefused({"autoset", "--base", "0x0A.0.0.1"},
                  "'0x0A.0.0.1' is not an address of four decimal parts");
    ExpectRefused({"search", "--ip", "10.0.0.1,10.0.0.256"},
                  "'10.0.0.256' is not an address of four decimal parts");
    ExpectRefused({"search", "--ip", "10.0.0.1,"}, "'' is not an address of four decimal parts");
    ExpectRefused({"networks", "add", "N", "--mask", "255.0.255.0"},
                  "'255.0.255.0' is not a mask of contiguous ones");
    ExpectRefused({"networks", "add", "N", "--mask", "255.255.255"},
                  "'255.255.255' is not an address of four decimal parts");
    SParsed good = Parse(
        {"networks", "add", "N", "--mask", "255.255.252.0", "--gateway", "10.0.0.1", "--exist-ok"});
    EXPECT_EQ(good.nExit, 0) << good.strError;
    EXPECT_TRUE(good.args.bExistOk);
}

TEST(CtlArgs, EachParseStartsAfresh) {
    // getopt keeps state between scans; a refused line must not leak into the next.
    EXPECT_EQ(Parse({"nodes", "--bogus"}).nExit, 2);
    SParsed parsed = Parse({"nodes", "list"});
    EXPECT_EQ(parsed.nExit, 0) << parsed.strError;
    EXPECT_FALSE(parsed.args.bJson);
}
