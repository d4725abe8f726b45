#pragma once
#include <cstdint>

// The five timing settings of section Application, read once at start.
struct SAppSettings {
    int32_t m_nRetryGetParam = 3;
    int32_t m_nTimeout = 5000;
    int32_t m_nTimeoutAutoSet = 5000;
    int32_t m_nTimeoutInitial = 5000;
    int32_t m_nTimeoutSearch = 1500;
};
