# cmake -DPROGRAM=<file> -P CheckCoreOnly.cmake
# Fails when the program loads a Qt library beyond Core: the command-line
# program must run on machines without a desktop.
execute_process(COMMAND ldd ${PROGRAM} OUTPUT_VARIABLE libraries RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "ldd ${PROGRAM} failed")
endif()
string(REGEX MATCHALL "libQt6[A-Za-z]+" qt_libraries "${libraries}")
list(REMOVE_DUPLICATES qt_libraries)
list(REMOVE_ITEM qt_libraries libQt6Core)
if(qt_libraries)
    message(FATAL_ERROR "${PROGRAM} loads ${qt_libraries}")
endif()
message(STATUS "${PROGRAM} loads no Qt library beyond Core")
