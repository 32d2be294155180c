# The Windows program and its runtime, cross-compiled with MinGW-w64.

enable_language(RC)
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -c 65001")

configure_file(src/res/version.h.in ${CMAKE_BINARY_DIR}/generated/version.h @ONLY)

set(ORV_PROGRAM_DIR ${CMAKE_BINARY_DIR}/program)

add_compile_definitions(UNICODE _UNICODE NOMINMAX WIN32_LEAN_AND_MEAN _WIN32_WINNT=0x0A00 WINVER=0x0A00)
# No MinGW DLL beside the program: the C and C++ runtimes and winpthread are linked in.
add_link_options(-static -static-libgcc -static-libstdc++ -Wl,--nxcompat -Wl,--dynamicbase -Wl,--high-entropy-va)

add_library(orv_win STATIC
    src/runtime/App.cpp
    src/runtime/DateTime.cpp
    src/runtime/Dialogs.cpp
    src/runtime/ErrorReporting.cpp
    src/runtime/Forms.cpp
    src/runtime/Text.cpp
    src/logging/modLogging.cpp
    src/restart/modCallExternalApp.cpp
    src/restart/frmRestart.cpp
    src/config/frmConfigure.cpp
    src/startup/Module1.cpp
)
target_include_directories(orv_win PUBLIC src ${CMAKE_BINARY_DIR}/generated)
target_compile_options(orv_win PRIVATE ${ORV_WARNINGS})
target_link_libraries(orv_win PUBLIC orv_core user32 gdi32 comctl32 version advapi32 shell32)

# The version resource alone, for test programs that read their own version.
add_library(orv_version_res OBJECT src/res/version.rc)
target_include_directories(orv_version_res PRIVATE ${CMAKE_BINARY_DIR}/generated src/res)

add_executable(OrvaneScheduledRestart WIN32
    src/startup/WinMain.cpp
    src/res/OrvaneScheduledRestart.rc
)
target_include_directories(OrvaneScheduledRestart PRIVATE ${CMAKE_BINARY_DIR}/generated src/res)
target_compile_options(OrvaneScheduledRestart PRIVATE ${ORV_WARNINGS})
target_link_options(OrvaneScheduledRestart PRIVATE -municode)
target_link_libraries(OrvaneScheduledRestart PRIVATE orv_win)
set_target_properties(OrvaneScheduledRestart PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${ORV_PROGRAM_DIR})
