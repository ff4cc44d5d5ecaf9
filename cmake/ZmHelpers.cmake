# zm_add_test(<name> SOURCES <files...> LIBS <targets...>)
#
# One GoogleTest executable whose tests CTest lists one by one. Tests run headless
# (QT_QPA_PLATFORM=offscreen) in their own build folder, and each test gets its own machine root
# from the fixture that needs one, never the user's.
function(zm_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main Threads::Threads)
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;REPORT_MACHINE_ROOT=${CMAKE_BINARY_DIR}/test-machine-root"
               TIMEOUT 300)
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
