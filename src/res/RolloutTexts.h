#pragma once
// A rollout: one image into many nodes at once, each node checked afterwards.

// Our own: the node did not list the image it was given. The first %s is
// what it should list ("TESTAPP V1.02"), the second what it lists.
inline constexpr char TXT_ROLLOUT_NOT_LISTED[] =
    "ﾀﾞｳﾝﾛｰﾄﾞ後のﾊﾞｰｼﾞｮﾝ情報に「%s」がありません\r\n(%s)";
// What a node lists when it has no user application.
inline constexpr char TXT_ROLLOUT_NO_APPS[] = "ｱﾌﾟﾘｹｰｼｮﾝなし";
// The kernel as the version information shows it; %s its version.
inline constexpr char TXT_ROLLOUT_KERNEL[] = "ｶｰﾈﾙ V%s";
// Our own row state: the version read back after the download did not fit.
inline constexpr char TXT_ROLLOUT_STATE_NOT_VERIFIED[] = "バージョン確認エラー";

// mrvctl's lines of a rollout.
// One finished node: MAC, address, what became of it; then the details.
inline constexpr char TXT_CTL_ROLLOUT_LOADED[] = "%s %s loaded %s (%d attempt%s, %.1f s)";
inline constexpr char TXT_CTL_ROLLOUT_FAILED[] = "%s %s failed: %s (%d attempt%s, %.1f s)";
inline constexpr char TXT_CTL_ROLLOUT_NOT_DONE[] = "%s %s not done";
// The live summary line; the last %s is the time left (m:ss).
inline constexpr char TXT_CTL_ROLLOUT_SUMMARY[] =
    "loaded %zu, failed %zu, in flight %zu, remaining %zu, about %s left";
// The end: how many failed of how many; the MACs follow.
inline constexpr char TXT_CTL_ROLLOUT_SOME_FAILED[] = "download failed on %zu of %zu nodes: ";
// --all in a network where no node has an address.
inline constexpr char TXT_CTL_ERR_NO_ADDRESSED[] = "no node of the current network has an address";
