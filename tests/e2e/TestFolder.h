#pragma once
// The running test's own folder inside the one scripts/testnet gives the run.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <initializer_list>

// $MRVT_DIR/<test name>, made with the given subfolders; empty outside a run
// of scripts/testnet.
inline std::filesystem::path MakeTestFolder(std::initializer_list<const char*> subs) {
    const char* pszTop = std::getenv("MRVT_DIR");
    if (pszTop == nullptr) {
        return {};
    }
    const std::filesystem::path dir =
        std::filesystem::path(pszTop) /
        ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::filesystem::create_directories(dir);
    for (const char* psz : subs) {
        std::filesystem::create_directories(dir / psz);
    }
    return dir;
}
