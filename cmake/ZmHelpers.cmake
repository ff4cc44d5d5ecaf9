# zm_add_test(<name> SOURCES <files...> LIBS <targets...> [PREPARE <gtest tests...>]
#             [ALONE <gtest tests or suites...>] [PER_PROCESS <n>])
#
# One GoogleTest executable whose tests CTest runs in groups: the tests of one suite share a
# process, at most ZM_TESTS_PER_PROCESS of them (cmake/ZmTestGroups.cmake lists them when CTest
# starts). Tests run headless (QT_QPA_PLATFORM=offscreen) in their own build folder, and each test
# gets its own machine root from the fixture that needs one, never the user's.
#
# PREPARE names the program's tests (Suite.Name) that build what its other tests share (a sample
# chain kept beside the program): CTest runs them, side by side, before any other test of the
# program, which then only copy what they built. Run alone, a test still builds what it lacks.
#
# ALONE names the tests that run one to a process (Suite.Name, or Suite for each of its tests):
# those that take seconds each. PER_PROCESS sets a smaller group for a program whose tests take
# about half a second each.
set(ZM_TESTS_PER_PROCESS 8 CACHE STRING "At most this many tests of one suite share a test process")

function(zm_add_test name)
  cmake_parse_arguments(ARG "" "PER_PROCESS" "SOURCES;LIBS;PREPARE;ALONE" ${ARGN})
  if(NOT ARG_PER_PROCESS)
    set(ARG_PER_PROCESS ${ZM_TESTS_PER_PROCESS})
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main Threads::Threads)

  # The properties as CMake text, each value one bracket argument (a list value must not be split
  # into separate arguments: that shifts every property after it).
  set(properties "ENVIRONMENT [==[REPORT_MACHINE_ROOT=${CMAKE_BINARY_DIR}/test-machine-root]==] "
                 "ENVIRONMENT_MODIFICATION [==[QT_QPA_PLATFORM=set:offscreen]==] TIMEOUT 300")
  string(CONCAT properties ${properties})
  if(ARG_PREPARE)
    foreach(test IN LISTS ARG_PREPARE)
      add_test(NAME ${name}:${test} COMMAND ${name} --gtest_filter=${test})
      set_tests_properties(${name}:${test} PROPERTIES FIXTURES_SETUP ${name}_shared TIMEOUT 300
        ENVIRONMENT "REPORT_MACHINE_ROOT=${CMAKE_BINARY_DIR}/test-machine-root"
        ENVIRONMENT_MODIFICATION "QT_QPA_PLATFORM=set:offscreen")
    endforeach()
    string(APPEND properties " FIXTURES_REQUIRED [==[${name}_shared]==]")
  endif()

  set(list_file "${CMAKE_CURRENT_BINARY_DIR}/${name}_groups.cmake")
  set(include_file "${CMAKE_CURRENT_BINARY_DIR}/${name}_include.cmake")
  file(GENERATE OUTPUT "${include_file}" CONTENT
"if(EXISTS [==[$<TARGET_FILE:${name}>]==])
  if(NOT EXISTS [==[${list_file}]==]
     OR NOT [==[${list_file}]==] IS_NEWER_THAN [==[$<TARGET_FILE:${name}>]==]
     OR NOT [==[${list_file}]==] IS_NEWER_THAN \${CMAKE_CURRENT_LIST_FILE}
     OR NOT [==[${list_file}]==] IS_NEWER_THAN [==[${CMAKE_SOURCE_DIR}/cmake/ZmTestGroups.cmake]==])
    include([==[${CMAKE_SOURCE_DIR}/cmake/ZmTestGroups.cmake]==])
    zm_write_test_groups(
      EXECUTABLE [==[$<TARGET_FILE:${name}>]==]
      WORKING_DIRECTORY [==[${CMAKE_CURRENT_BINARY_DIR}]==]
      OUTPUT [==[${list_file}]==]
      PER_PROCESS ${ARG_PER_PROCESS}
      PROPERTIES [===[${properties}]===]
      ALONE ${ARG_ALONE}
      EXCLUDE ${ARG_PREPARE})
  endif()
  include([==[${list_file}]==])
else()
  add_test(${name}_NOT_BUILT ${name}_NOT_BUILT)
endif()
")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES "${include_file}")
endfunction()

# zm_add_program_folders(): every subfolder of the current folder that has a CMakeLists.txt is one
# program (tools and benchmarks).
function(zm_add_program_folders)
  file(GLOB dirs LIST_DIRECTORIES true CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*)
  foreach(dir IN LISTS dirs)
    if(IS_DIRECTORY ${dir} AND EXISTS ${dir}/CMakeLists.txt)
      add_subdirectory(${dir})
    endif()
  endforeach()
endfunction()
