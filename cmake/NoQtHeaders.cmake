# Preprocesses each of the program's headers (report/, tests apart), report/main.cpp and each forms
# header alone, with no Qt include path: a Qt header reached through any of them fails the check.
# The program reaches widgets only through the forms layer, whose headers name Qt types by forward
# declaration alone.
#   cmake -DCXX=<compiler> -DSOURCE_DIR=<tree> -DBINARY_DIR=<build> -P NoQtHeaders.cmake
file(GLOB_RECURSE headers ${SOURCE_DIR}/report/*.h)
list(FILTER headers EXCLUDE REGEX "/tests/")
file(GLOB forms_headers ${SOURCE_DIR}/platform/forms/*.h)
list(APPEND headers ${forms_headers} ${SOURCE_DIR}/report/main.cpp)
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
  message(FATAL_ERROR "headers that reach a Qt header:\n${text}")
endif()
message(STATUS "${count} headers reach no Qt header")
