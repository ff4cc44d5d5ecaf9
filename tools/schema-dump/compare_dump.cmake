# Runs schema-dump into OUT and fails unless OUT equals GOLDEN.
execute_process(COMMAND ${DUMP} OUTPUT_FILE ${OUT} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "schema-dump failed: ${result}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${OUT} ${GOLDEN} RESULT_VARIABLE differs)
if(NOT differs EQUAL 0)
  message(FATAL_ERROR "schema-dump output ${OUT} differs from ${GOLDEN}")
endif()
