# Checks how cmake/ZmTestGroups.cmake groups a program's tests, against a stand-in program that
# prints a fixed test listing. Run with cmake -DWORK_DIR=<dir> -P test_groups_test.cmake.
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/../ZmTestGroups.cmake)

set(listing [=[Running main() from ./googletest/src/gtest_main.cc
Small.
  A
  B
  C
Large.
  T1
  T2
  T3
  T4
  T5
  T6
  T7
  T8
  T9
  T10
  T11
One.
  Only
Slow.
  First
  Second
Mixed.
  Quick1
  Heavy
  Quick2
Builders.
  Chain
  Other1
  Other2
Engine/Table.  # TypeParam = std::pair<int; char>
  Row/0  # GetParam() = [1; "a]b"]
  Row/1  # GetParam() = \
]=])

file(MAKE_DIRECTORY "${WORK_DIR}")
file(WRITE "${WORK_DIR}/listing.txt" "${listing}")
file(WRITE "${WORK_DIR}/program" "#!/bin/sh\ncat '${WORK_DIR}/listing.txt'\n")
file(CHMOD "${WORK_DIR}/program" PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)

zm_write_test_groups(EXECUTABLE "${WORK_DIR}/program" WORKING_DIRECTORY "${WORK_DIR}"
                     OUTPUT "${WORK_DIR}/groups.cmake" PER_PROCESS 5 PROPERTIES "TIMEOUT 7"
                     ALONE Slow Mixed.Heavy EXCLUDE Builders.Chain)

# Each expected group: its CTest name, then its filter.
set(expected
  "program:Small" "Small.*"
  "program:Large#1" "Large.T1:Large.T2:Large.T3:Large.T4"
  "program:Large#2" "Large.T5:Large.T6:Large.T7:Large.T8"
  "program:Large#3" "Large.T9:Large.T10:Large.T11"
  "program:One.Only" "One.Only"
  "program:Slow.First" "Slow.First"
  "program:Slow.Second" "Slow.Second"
  "program:Mixed.Heavy" "Mixed.Heavy"
  "program:Mixed" "Mixed.Quick1:Mixed.Quick2"
  "program:Builders" "Builders.Other1:Builders.Other2"
  "program:Engine/Table" "Engine/Table.*")

file(STRINGS "${WORK_DIR}/groups.cmake" added REGEX "^add_test")
set(found "")
foreach(line IN LISTS added)
  if(NOT line MATCHES "^add_test\\(\\[==\\[([^]]*)\\]==\\] \\[==\\[[^]]*\\]==\\] \\[==\\[--gtest_filter=([^]]*)\\]==\\]\\)$")
    message(FATAL_ERROR "Unexpected line: ${line}")
  endif()
  list(APPEND found "${CMAKE_MATCH_1}" "${CMAKE_MATCH_2}")
endforeach()
if(NOT found STREQUAL expected)
  string(REPLACE ";" "\n  " found "${found}")
  string(REPLACE ";" "\n  " expected "${expected}")
  message(FATAL_ERROR "Groups differ.\nExpected:\n  ${expected}\nFound:\n  ${found}")
endif()

# Single tests report a skip as CTest's own; groups do not (one skipped test would hide the rest).
file(READ "${WORK_DIR}/groups.cmake" written)
string(REGEX MATCHALL "set_tests_properties\\(\\[==\\[[^]]*\\]==\\][^\n]*SKIP_REGULAR_EXPRESSION" skips "${written}")
list(LENGTH skips skip_count)
if(NOT skip_count EQUAL 4)
  message(FATAL_ERROR "Expected the 4 single tests to carry the skip expression, found ${skip_count}")
endif()
if(NOT written MATCHES "TIMEOUT 7")
  message(FATAL_ERROR "The properties were not written: ${written}")
endif()

# The written file is what CTest includes: it must read back as CMake.
function(add_test)
endfunction()
function(set_tests_properties)
endfunction()
include("${WORK_DIR}/groups.cmake")

# A program that cannot list its tests stops the listing with its output.
file(WRITE "${WORK_DIR}/broken" "#!/bin/sh\necho 'cannot start' >&2\nexit 3\n")
file(CHMOD "${WORK_DIR}/broken" PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
execute_process(COMMAND "${CMAKE_COMMAND}" -DPROBE=1 -DWORK_DIR=${WORK_DIR}
                        -P "${CMAKE_CURRENT_LIST_DIR}/test_groups_probe.cmake"
                RESULT_VARIABLE probe_result ERROR_VARIABLE probe_errors)
if(probe_result EQUAL 0 OR NOT probe_errors MATCHES "cannot start")
  message(FATAL_ERROR "A failing listing was not reported: ${probe_result} ${probe_errors}")
endif()
message(STATUS "test groups: all cases hold")
