# The plug-in is built from two static libraries: the framework (host interface and dialog
# framework) and the effect (render engine and effect dialog). Test plug-ins link the
# framework with a test effect of their own instead of the shipped one.
file(GLOB GREYLOOM_FRAMEWORK_SOURCES CONFIGURE_DEPENDS
    ${CMAKE_SOURCE_DIR}/host/*.cpp ${CMAKE_SOURCE_DIR}/dialog/*.cpp)
# The DLL load routine goes only into plug-ins, so that test programs can link the framework.
list(FILTER GREYLOOM_FRAMEWORK_SOURCES EXCLUDE REGEX "/host/dll_entry\\.cpp$")
file(GLOB GREYLOOM_EFFECT_SOURCES CONFIGURE_DEPENDS
    ${CMAKE_SOURCE_DIR}/render/*.cpp ${CMAKE_SOURCE_DIR}/effect/*.cpp)

add_library(greyloom_framework STATIC ${GREYLOOM_FRAMEWORK_SOURCES})
target_include_directories(greyloom_framework PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_options(greyloom_framework PRIVATE ${GREYLOOM_WARNINGS})
target_link_libraries(greyloom_framework PUBLIC comctl32 comdlg32 gdi32 user32 shell32 ole32
    advapi32 msimg32 winmm)

add_library(greyloom_effect STATIC ${GREYLOOM_EFFECT_SOURCES})
# Kernels built for a wider vector level, called only where the processor has it. The
# assembler switch keeps every vector move unaligned: GCC may spill 32-byte registers to a
# stack that Windows aligns to 16 bytes only.
set_source_files_properties(${CMAKE_SOURCE_DIR}/render/recursive_sweep_avx2.cpp
    ${CMAKE_SOURCE_DIR}/render/texture_noise_row_avx2.cpp
    ${CMAKE_SOURCE_DIR}/render/later_pass_rows_avx2.cpp
    ${CMAKE_SOURCE_DIR}/render/closing_rows_avx2.cpp PROPERTIES COMPILE_OPTIONS "-mavx2;-Wa,-muse-unaligned-vector-move")
# GCC 12's 512-bit intrinsics start from an undefined register, which its 32-bit build takes
# for an uninitialised variable.
set_source_files_properties(${CMAKE_SOURCE_DIR}/render/recursive_sweep_avx512.cpp
    PROPERTIES COMPILE_OPTIONS "-mavx512f;-mavx2;-Wa,-muse-unaligned-vector-move;-Wno-maybe-uninitialized")
target_include_directories(greyloom_effect PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_options(greyloom_effect PRIVATE ${GREYLOOM_WARNINGS})
target_link_libraries(greyloom_effect PUBLIC greyloom_framework)

if(GREYLOOM_ARCH STREQUAL "x64")
    set(GREYLOOM_PLUGIN_NAME Greyloom64)
    set(GREYLOOM_DLL_ENTRY DllEntry)
else()
    set(GREYLOOM_PLUGIN_NAME Greyloom32)
    set(GREYLOOM_DLL_ENTRY _DllEntry@12)
endif()

# greyloom_add_plugin(target OUTPUT_NAME name SOURCES ... LIBRARIES ...)
# A filter plug-in: a DLL named <name>.8bf exporting ENTRYPOINT at ordinal 1, with the
# property list, terminology and string table of the plug-in's resources.
function(greyloom_add_plugin target)
    cmake_parse_arguments(ARG "" "OUTPUT_NAME" "SOURCES;LIBRARIES" ${ARGN})
    add_library(${target} SHARED ${ARG_SOURCES} ${CMAKE_SOURCE_DIR}/host/dll_entry.cpp
        ${CMAKE_SOURCE_DIR}/host/entrypoint.def)
    target_link_libraries(${target} PRIVATE
        -Wl,--whole-archive greyloom_framework -Wl,--no-whole-archive
        ${ARG_LIBRARIES} greyloom_resources)
    target_link_options(${target} PRIVATE -Wl,--entry=${GREYLOOM_DLL_ENTRY})
    set_target_properties(${target} PROPERTIES PREFIX "" SUFFIX ".8bf"
        OUTPUT_NAME ${ARG_OUTPUT_NAME}
        RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin
        LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
endfunction()
