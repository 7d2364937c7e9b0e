# Shared helpers for the subsystem CMake files.

# vl_add_test(NAME name SOURCES a.cpp ... LIBS lib ... [GUI] [XVFB] [TIMEOUT s])
#
# One Qt Test executable per test class, registered in CTest. Every test runs
# with its own temporary HOME and config folders (made by the test main in
# tests/support), LC_ALL=C.UTF-8 and the offscreen platform plugin. XVFB
# runs it on a real X server of its own instead (xvfb-run), for what only a
# window system shows: window positions, the cursor, the screen.
find_program(VL_XVFB_RUN xvfb-run)
function(vl_add_test)
    cmake_parse_arguments(T "GUI;XVFB" "NAME;TIMEOUT" "SOURCES;LIBS" ${ARGN})
    add_executable(${T_NAME} ${T_SOURCES})
    target_link_libraries(${T_NAME} PRIVATE vl_testsupport Qt5::Test ${T_LIBS})
    set(platform offscreen)
    if(T_XVFB AND VL_XVFB_RUN)
        add_test(NAME ${T_NAME} COMMAND ${VL_XVFB_RUN} -a -s "-screen 0 1280x1024x24"
                 $<TARGET_FILE:${T_NAME}>)
        set(platform xcb)
    else()
        add_test(NAME ${T_NAME} COMMAND ${T_NAME})
    endif()
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 120)
    endif()
    set_tests_properties(${T_NAME} PROPERTIES
        TIMEOUT ${T_TIMEOUT}
        ENVIRONMENT "LC_ALL=C.UTF-8;QT_QPA_PLATFORM=${platform};VELLUMIN_BIN_DIR=${CMAKE_BINARY_DIR}/bin")
endfunction()

# vl_add_bench(NAME name SOURCES a.cpp ... LIBS lib ...)
#
# Benchmarks are plain programs that print their figures beside a floor;
# they are built with the tests but never run by CTest.
function(vl_add_bench)
    cmake_parse_arguments(B "" "NAME" "SOURCES;LIBS" ${ARGN})
    add_executable(${B_NAME} ${B_SOURCES})
    target_link_libraries(${B_NAME} PRIVATE ${B_LIBS})
endfunction()
