# Tests are GoogleTest programs cross-built with MinGW and run under Wine by ctest
# (CMAKE_CROSSCOMPILING_EMULATOR). One ctest entry per test program keeps Wine start-ups few.
if(NOT TARGET gtest)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endif()

# Every test run needs the persistent wineserver and a booted prefix (tools/wine-up.sh):
# Wine's background services would otherwise inherit ctest's output pipe and stall it.
add_test(NAME wine_up COMMAND ${CMAKE_SOURCE_DIR}/tools/wine-up.sh)
set_tests_properties(wine_up PROPERTIES FIXTURES_SETUP wine)

# Seconds the longest test programs take (x64, in a whole run on a loaded machine). ctest starts
# tests in falling order of their cost; without figures of its own (a fresh clone) it would start
# them in the order they are declared and end the run waiting for a long one started last.
set(GREYLOOM_TEST_SECONDS
    preview_windows 150 preset_view_menu 150 preview_tools_input 130 settings_reactions_windows 130
    session_start 110 dialog_events_input 110 preset_list_windows 100 effect_dialog_windows 200
    thumbnail_run_windows 70 undo_input 60 render_foundations_test 50 skin_windows 35
    effect_render_test 45 runtime_plugin 40 dialog_windows 40 acceptance_dialog_session 40
    skin_host 20)

# A message box that no test answers fails the test under way within seconds instead of holding
# the program until its time-out: every test program carries the watch for them.
add_library(test_unexpected_boxes OBJECT ${CMAKE_SOURCE_DIR}/tests/common/unexpected_boxes.cpp)
target_link_libraries(test_unexpected_boxes PRIVATE gtest)
target_include_directories(test_unexpected_boxes PRIVATE ${CMAKE_SOURCE_DIR})
target_compile_options(test_unexpected_boxes PRIVATE ${GREYLOOM_WARNINGS})

# greyloom_add_test(name SOURCES ... LIBRARIES ... [TIMEOUT s] [SCRATCH_PREFIX] [OWN_DISPLAY])
function(greyloom_add_test name)
    cmake_parse_arguments(ARG "SCRATCH_PREFIX;OWN_DISPLAY" "TIMEOUT" "SOURCES;LIBRARIES" ${ARGN})
    # The effect shows its pictures and texts from the plug-in's resources: a test program
    # that links the effect carries them, or the first missing picture stops it at a modal box.
    if("greyloom_effect" IN_LIST ARG_LIBRARIES AND
       NOT "$<TARGET_OBJECTS:greyloom_resources>" IN_LIST ARG_SOURCES)
        list(APPEND ARG_SOURCES $<TARGET_OBJECTS:greyloom_resources>)
    endif()
    add_executable(${name} ${ARG_SOURCES} $<TARGET_OBJECTS:test_unexpected_boxes>)
    target_link_libraries(${name} PRIVATE ${ARG_LIBRARIES} gtest)
    target_compile_options(${name} PRIVATE ${GREYLOOM_WARNINGS})
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/tests)
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
    # A test that opens the shipped plug-in's dialog makes its data files under the user's
    # application data: it runs in a scratch copy of the Wine prefix, so that every run starts
    # as a first start and no other test sees its files.
    # A window test that gives real input (SendInput, the foreground, the pointer) runs with an
    # X display of its own as well, in its own scratch prefix: no other test's windows take its
    # input, so it runs beside the others instead of alone.
    if(ARG_OWN_DISPLAY)
        add_test(NAME ${GREYLOOM_ARCH}.${name}
            COMMAND ${CMAKE_SOURCE_DIR}/tests/installer/run_in_scratch_prefix.sh --own-display
                    $<TARGET_FILE:${name}> --gtest_brief=1
            WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
    elseif(ARG_SCRATCH_PREFIX)
        add_test(NAME ${GREYLOOM_ARCH}.${name}
            COMMAND ${CMAKE_SOURCE_DIR}/tests/installer/run_in_scratch_prefix.sh
                    $<TARGET_FILE:${name}> --gtest_brief=1
            WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
    else()
        add_test(NAME ${GREYLOOM_ARCH}.${name} COMMAND ${name} --gtest_brief=1
            WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
    endif()
    # Without a time-out of its own, a test may take four times its cost in a whole run, at
    # least two minutes and at most five: a program that hangs (a crash that stops at a modal
    # box, a broken heap) then holds a slot of the run for minutes, not for five of them each.
    set(seconds 30)
    list(FIND GREYLOOM_TEST_SECONDS ${name} costAt)
    if(costAt GREATER -1)
        math(EXPR costAt "${costAt} + 1")
        list(GET GREYLOOM_TEST_SECONDS ${costAt} seconds)
        set_tests_properties(${GREYLOOM_ARCH}.${name} PROPERTIES COST ${seconds})
    endif()
    if(NOT ARG_TIMEOUT)
        math(EXPR ARG_TIMEOUT "${seconds} * 4")
        if(ARG_TIMEOUT LESS 120)
            set(ARG_TIMEOUT 120)
        elseif(ARG_TIMEOUT GREATER 300)
            set(ARG_TIMEOUT 300)
        endif()
    endif()
    set_tests_properties(${GREYLOOM_ARCH}.${name} PROPERTIES FIXTURES_REQUIRED wine
        TIMEOUT ${ARG_TIMEOUT}
        ENVIRONMENT "GREYLOOM_SOURCE_DIR=${CMAKE_SOURCE_DIR};GREYLOOM_BIN_DIR=${CMAKE_BINARY_DIR}/bin")
endfunction()
