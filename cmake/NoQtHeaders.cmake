# Preprocesses each of the program's files (report/, tests apart) and each forms header alone,
# with no Qt include path: a Qt header reached through any of them fails the check.
# The program reaches widgets only through the forms layer, whose headers name Qt types by forward
# declaration alone.
#   cmake -DCXX=<compiler> -DSOURCE_DIR=<tree> -DBINARY_DIR=<build> -P NoQtHeaders.cmake
file(GLOB_RECURSE headers ${SOURCE_DIR}/report/*.h ${SOURCE_DIR}/report/*.cpp)
list(FILTER headers EXCLUDE REGEX "/tests/")
file(GLOB forms_headers ${SOURCE_DIR}/platform/forms/*.h)
list(APPEND headers ${forms_headers})
# One preprocessor run over all of them at once (a file #pragma-once'd by an earlier one was
# already checked there); only when it fails is each file run alone, to name every file at fault.
set(all "${BINARY_DIR}/no_qt_headers_all.cpp")
set(lines "")
foreach(header IN LISTS headers)
  string(APPEND lines "#include \"${header}\"\n")
endforeach()
file(WRITE "${all}" "${lines}")
execute_process(
  COMMAND ${CXX} -std=c++20 -M -I${SOURCE_DIR} -I${BINARY_DIR} -x c++ ${all}
  RESULT_VARIABLE result OUTPUT_QUIET ERROR_QUIET)
set(failed "")
if(NOT result EQUAL 0)
  foreach(header IN LISTS headers)
    execute_process(
      COMMAND ${CXX} -std=c++20 -M -I${SOURCE_DIR} -I${BINARY_DIR} -x c++ ${header}
      RESULT_VARIABLE result ERROR_VARIABLE errors OUTPUT_QUIET)
    if(NOT result EQUAL 0)
      string(REGEX MATCH "[^\n]*error[^\n]*" first "${errors}")
      list(APPEND failed "${header}: ${first}")
    endif()
  endforeach()
  if(NOT failed)
    set(failed "the files together reach a Qt header, though none does alone")
  endif()
endif()
list(LENGTH headers count)
if(failed)
  list(JOIN failed "\n" text)
  message(FATAL_ERROR "files that reach a Qt header:\n${text}")
endif()
message(STATUS "${count} files reach no Qt header")
