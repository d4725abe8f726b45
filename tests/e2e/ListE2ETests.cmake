# Run after each build of an end-to-end test program: writes the names of the
# tests of one suite, one a line, for the ctest include file that registers them.
#   cmake -D EXE=program -D SUITE=Suite -D OUT=file -P ListE2ETests.cmake
foreach(var IN ITEMS EXE SUITE OUT)
    if(NOT DEFINED ${var})
        message(FATAL_ERROR "ListE2ETests: ${var} not given")
    endif()
endforeach()

execute_process(COMMAND "${EXE}" --gtest_list_tests "--gtest_filter=${SUITE}.*"
    OUTPUT_VARIABLE listing ERROR_VARIABLE errors RESULT_VARIABLE result TIMEOUT 60)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "ListE2ETests: ${EXE} --gtest_list_tests failed (${result}):\n${errors}")
endif()

# The listing is "Suite." and then each test name indented by two blanks,
# maybe followed by a comment on its parameter.
string(REPLACE "\n" ";" lines "${listing}")
set(names "")
set(in_suite FALSE)
foreach(line IN LISTS lines)
    if(line MATCHES "^([^ ]+)\\.$")
        set(in_suite FALSE)
        if(CMAKE_MATCH_1 STREQUAL SUITE)
            set(in_suite TRUE)
        endif()
    elseif(in_suite AND line MATCHES "^  ([^ #]+)")
        set(name "${CMAKE_MATCH_1}")
        if(NOT name MATCHES "^DISABLED_")
            string(APPEND names "${name}\n")
        endif()
    endif()
endforeach()
if(names STREQUAL "")
    message(FATAL_ERROR "ListE2ETests: ${EXE} has no tests in suite ${SUITE}")
endif()

# Rewritten only when the names change, so that ctest rereads nothing needlessly.
set(old "")
if(EXISTS "${OUT}")
    file(READ "${OUT}" old)
endif()
if(NOT old STREQUAL names)
    file(WRITE "${OUT}" "${names}")
endif()
