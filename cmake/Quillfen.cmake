# Helpers shared by the source and test folders.

# quillfen_library(<name> [QT <components>...] [DEPS <targets>...])
# Builds every .cpp/.h of the calling folder into a static library. Engine
# libraries link Qt Core only; the widget layer passes QT Widgets.
function(quillfen_library name)
    cmake_parse_arguments(ARG "" "" "QT;DEPS" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS
        ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h
        ${CMAKE_CURRENT_SOURCE_DIR}/*/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*/*.h)
    set(qt Qt6::Core)
    foreach(component IN LISTS ARG_QT)
        list(APPEND qt Qt6::${component})
    endforeach()
    if(NOT sources)
        # A layer that has no code yet still links its dependencies.
        add_library(${name} INTERFACE)
        target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR}/src)
        target_link_libraries(${name} INTERFACE ${qt} ${ARG_DEPS})
        return()
    endif()
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} PUBLIC ${qt} ${ARG_DEPS})
endfunction()

# quillfen_tests(DEPS <targets>...)
# Every tst_*.cpp of the calling folder becomes one test program, registered
# with CTest and run without a display.
function(quillfen_tests)
    cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
    file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tst_*.cpp)
    get_filename_component(folder ${CMAKE_CURRENT_SOURCE_DIR} NAME)
    foreach(test_source IN LISTS tests)
        get_filename_component(test_name ${test_source} NAME_WE)
        set(target ${folder}_${test_name})
        add_executable(${target} ${test_source})
        target_link_libraries(${target} PRIVATE Qt6::Test quillfen_testsupport ${ARG_DEPS})
        add_test(NAME ${folder}/${test_name} COMMAND ${target})
        set_tests_properties(${folder}/${test_name} PROPERTIES
            # A desktop-sized screen: the window keeps its minimum only where
            # the screen can hold it. The journal and the checksum cache of
            # the tests stay in the build folder.
            ENVIRONMENT "QT_QPA_PLATFORM=offscreen:configfile=${PROJECT_SOURCE_DIR}/tests/support/offscreen.json;QT_LOGGING_RULES=qt.qpa.*=false;XDG_STATE_HOME=${CMAKE_BINARY_DIR}/test-home/state;XDG_CACHE_HOME=${CMAKE_BINARY_DIR}/test-home/cache"
            TIMEOUT 600)
    endforeach()
endfunction()
