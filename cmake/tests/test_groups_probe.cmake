# Lists the tests of a program that fails to list them (see test_groups_test.cmake).
include(${CMAKE_CURRENT_LIST_DIR}/../ZmTestGroups.cmake)
zm_write_test_groups(EXECUTABLE "${WORK_DIR}/broken" WORKING_DIRECTORY "${WORK_DIR}"
                     OUTPUT "${WORK_DIR}/broken.cmake" PER_PROCESS 5 PROPERTIES "TIMEOUT 7")
