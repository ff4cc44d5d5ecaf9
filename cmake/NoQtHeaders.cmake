# Preprocesses each of the program's files (report/, tests apart) and each forms header alone,
# with no Qt include path: a Qt header reached through any of them fails the check.
# The program reaches widgets only through the forms layer, whose headers name Qt types by forward
# declaration alone.
#   cmake -DCXX=<compiler> -DSOURCE_DIR=<tree> -DBINARY_DIR=<build> -P NoQtHeaders.cmake
file(GLOB_RECURSE headers ${SOURCE_DIR}/report/*.h ${SOURCE_DIR}/report/*.cpp)
list(FILTER headers EXCLUDE REGEX "/tests/")
file(GLOB forms_headers ${SOURCE_DIR}/platform/forms/*.h)
list(APPEND headers ${forms_headers})
set(failed "")
foreach(header IN LISTS headers)
  execute_process(
    COMMAND ${CXX} -std=c++20 -M -I${SOURCE_DIR} -I${BINARY_DIR} -x c++ ${header}
    RESULT_VARIABLE result ERROR_VARIABLE errors OUTPUT_QUIET)
  if(NOT result EQUAL 0)
    string(REGEX MATCH "[^\n]*error[^\n]*" first "${errors}")
    list(APPEND failed "${header}: ${first}")
  endif()
endforeach()
list(LENGTH headers count)
if(failed)
  list(JOIN failed "\n" text)
  message(FATAL_ERROR "files that reach a Qt header:\n${text}")
endif()
message(STATUS "${count} files reach no Qt header")
