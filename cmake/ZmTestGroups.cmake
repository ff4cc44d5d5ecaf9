# Lists a GoogleTest program's tests for CTest, several tests of one suite to a process.
#
# Included by the CTest file that zm_add_test() writes, when CTest starts and the program is newer
# than the list it wrote last. It runs the program with --gtest_list_tests and writes one CTest
# test per group: the tests of one suite, in their order, at most PER_PROCESS of them. A process
# start costs more than most of the tests themselves (the program loads Qt and the project's
# libraries), so one process per test spent most of the suite's time starting processes.
#
# CTest names a group after its program and what it runs (two programs may have suites of one
# name):
#   program:Suite         the whole suite in one process
#   program:Suite#2       the second group of a suite too large for one
#   program:Suite.Name    a single test: a suite's only test, or one named in ALONE
# Tests named in ALONE (Suite.Name, or Suite for each of its tests) run one to a process: those
# that take seconds each, so that no group is long and the slow ones spread over the processors.
# Tests named in EXCLUDE are left out (the builders that zm_add_test() adds itself).
#
# zm_write_test_groups(EXECUTABLE <path> WORKING_DIRECTORY <dir> OUTPUT <file> PER_PROCESS <n>
#                      PROPERTIES <CMake text of the tests' properties>
#                      [ALONE <names...>] [EXCLUDE <names...>])

cmake_policy(PUSH)
cmake_policy(SET CMP0057 NEW) # if(... IN_LIST ...), here and in the functions defined below

function(zm_write_test_groups)
  cmake_parse_arguments(ARG "" "EXECUTABLE;WORKING_DIRECTORY;OUTPUT;PER_PROCESS;PROPERTIES"
                        "ALONE;EXCLUDE" ${ARGN})
  # The programs start Qt before they list their tests: headless, as the tests run.
  set(platform "$ENV{QT_QPA_PLATFORM}")
  set(ENV{QT_QPA_PLATFORM} offscreen)
  execute_process(COMMAND "${ARG_EXECUTABLE}" --gtest_list_tests
                  WORKING_DIRECTORY "${ARG_WORKING_DIRECTORY}"
                  TIMEOUT 60
                  OUTPUT_VARIABLE listing
                  ERROR_VARIABLE listing_errors
                  RESULT_VARIABLE result)
  set(ENV{QT_QPA_PLATFORM} "${platform}")
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "Listing the tests of ${ARG_EXECUTABLE} failed (${result}):\n"
                        "${listing}${listing_errors}")
  endif()

  # Only names are kept, so the characters that CMake's lists treat specially (in the comments
  # that follow a parameterised test's name) can go before the output is split into lines.
  string(REGEX REPLACE "[][;\\\\]" " " listing "${listing}")
  string(REPLACE "\n" ";" lines "${listing}")

  # The suites in their order, each followed by its tests: "Suite." then "  Name".
  set(groups "")
  set(suite "")
  foreach(line IN LISTS lines)
    if(line MATCHES "^([A-Za-z_][A-Za-z0-9_/]*)\\.( .*)?$")
      zm_suite_groups(groups "${suite}" "${listed}" ${members})
      set(suite "${CMAKE_MATCH_1}")
      set(listed 0)
      set(members "")
    elseif(NOT suite STREQUAL "" AND line MATCHES "^  ([A-Za-z_0-9/]+)( .*)?$")
      math(EXPR listed "${listed} + 1")
      if(NOT "${suite}.${CMAKE_MATCH_1}" IN_LIST ARG_EXCLUDE)
        list(APPEND members "${suite}.${CMAKE_MATCH_1}")
      endif()
    endif()
  endforeach()
  zm_suite_groups(groups "${suite}" "${listed}" ${members})

  get_filename_component(program "${ARG_EXECUTABLE}" NAME)
  set(content "# Written by cmake/ZmTestGroups.cmake from ${ARG_EXECUTABLE} --gtest_list_tests\n")
  foreach(group IN LISTS groups)
    string(FIND "${group}" "=" split)
    string(SUBSTRING "${group}" 0 ${split} name)
    math(EXPR split "${split} + 1")
    string(SUBSTRING "${group}" ${split} -1 filter)
    set(name "${program}:${name}")
    string(APPEND content
      "add_test([==[${name}]==] [==[${ARG_EXECUTABLE}]==] [==[--gtest_filter=${filter}]==])\n"
      "set_tests_properties([==[${name}]==] PROPERTIES "
      "WORKING_DIRECTORY [==[${ARG_WORKING_DIRECTORY}]==] ${ARG_PROPERTIES}")
    if(NOT filter MATCHES "[:*]")
      # A single test's process reports its skip as CTest's own.
      string(APPEND content " SKIP_REGULAR_EXPRESSION [==[\\[  SKIPPED \\]]==]")
    endif()
    string(APPEND content ")\n")
  endforeach()
  file(WRITE "${ARG_OUTPUT}" "${content}")
endfunction()

# Appends to the list `out` the groups of `suite`, of which `listed` tests were listed and the
# tests in ARGN are run ("name=test:test:...", names hold neither '=' nor ':'). Reads ARG_ALONE
# and ARG_PER_PROCESS from the caller.
function(zm_suite_groups out suite listed)
  set(groups ${${out}})
  set(shared "")
  foreach(test IN LISTS ARGN)
    if(test IN_LIST ARG_ALONE OR suite IN_LIST ARG_ALONE)
      list(APPEND groups "${test}=${test}")
    else()
      list(APPEND shared "${test}")
    endif()
  endforeach()
  list(LENGTH shared count)
  if(count EQUAL 1)
    list(APPEND groups "${shared}=${shared}")
  elseif(count GREATER 1 AND count EQUAL listed AND count LESS_EQUAL ARG_PER_PROCESS)
    list(APPEND groups "${suite}=${suite}.*")
  elseif(count GREATER 1)
    # Groups of even size: a suite of 11 runs as 6 and 5, not as 10 and 1.
    math(EXPR parts "(${count} + ${ARG_PER_PROCESS} - 1) / ${ARG_PER_PROCESS}")
    set(part 1)
    set(filled 0)
    set(filter "")
    foreach(test IN LISTS shared)
      list(APPEND filter "${test}")
      math(EXPR filled "${filled} + 1")
      math(EXPR due "(${count} * ${part} + ${parts} - 1) / ${parts}")
      if(filled EQUAL due)
        list(JOIN filter ":" filter)
        if(parts EQUAL 1)
          list(APPEND groups "${suite}=${filter}")
        else()
          list(APPEND groups "${suite}#${part}=${filter}")
        endif()
        math(EXPR part "${part} + 1")
        set(filter "")
      endif()
    endforeach()
  endif()
  set(${out} ${groups} PARENT_SCOPE)
endfunction()

cmake_policy(POP)
