# zm_add_test(<name> SOURCES <files...> LIBS <targets...> [PREPARE <gtest tests...>])
#
# One GoogleTest executable whose tests CTest lists one by one. Tests run headless
# (QT_QPA_PLATFORM=offscreen) in their own build folder, and each test gets its own machine root
# from the fixture that needs one, never the user's.
#
# PREPARE names the program's tests (Suite.Name) that build what its other tests share (a sample
# chain kept beside the program): CTest runs them, side by side, before any other test of the
# program, which then only copy what they built. Run alone, a test still builds what it lacks.
function(zm_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;PREPARE" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main Threads::Threads)
  # Two properties of one value each: gtest_discover_tests splits a list value (two variables in
  # ENVIRONMENT) into separate arguments, which shifts every property after it.
  set(environment ENVIRONMENT "REPORT_MACHINE_ROOT=${CMAKE_BINARY_DIR}/test-machine-root"
                  ENVIRONMENT_MODIFICATION "QT_QPA_PLATFORM=set:offscreen")
  if(ARG_PREPARE)
    foreach(test IN LISTS ARG_PREPARE)
      add_test(NAME ${test} COMMAND ${name} --gtest_filter=${test})
      set_tests_properties(${test} PROPERTIES FIXTURES_SETUP ${name}_shared ${environment} TIMEOUT 300)
    endforeach()
    list(JOIN ARG_PREPARE ":" prepared)
    gtest_discover_tests(${name}
      DISCOVERY_MODE PRE_TEST
      DISCOVERY_TIMEOUT 60
      TEST_FILTER "-${prepared}"
      PROPERTIES ${environment} TIMEOUT 300 FIXTURES_REQUIRED ${name}_shared)
  else()
    gtest_discover_tests(${name}
      DISCOVERY_MODE PRE_TEST
      DISCOVERY_TIMEOUT 60
      PROPERTIES ${environment} TIMEOUT 300)
  endif()
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
