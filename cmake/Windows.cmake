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
    src/runtime/FileSystem.cpp
    src/runtime/Forms.cpp
    src/runtime/Text.cpp
    src/logging/modLogging.cpp
    src/hostenv/OrvaneVersion.cpp
    src/hostenv/RegistryAPI.cpp
    src/hostenv/WorkStationInfo.cpp
    src/localize/modLocalize.cpp
    src/restart/modCallExternalApp.cpp
    src/restart/frmRestart.cpp
    src/config/frmConfigure.cpp
    src/startup/Module1.cpp
)
target_include_directories(orv_win PUBLIC src ${CMAKE_BINARY_DIR}/generated)
target_compile_options(orv_win PRIVATE ${ORV_WARNINGS})
target_link_libraries(orv_win PUBLIC orv_core user32 gdi32 comctl32 version advapi32 shell32 netapi32)

# The version resource and the built-in string table, for test programs that
# read their own version and texts as the program does.
add_library(orv_version_res OBJECT src/res/version.rc src/localize/RestartRes.rc)
target_include_directories(orv_version_res PRIVATE ${CMAKE_BINARY_DIR}/generated src/res src/localize)

add_executable(OrvaneScheduledRestart WIN32
    src/startup/WinMain.cpp
    src/res/OrvaneScheduledRestart.rc
    src/localize/RestartRes.rc
)
target_include_directories(OrvaneScheduledRestart PRIVATE ${CMAKE_BINARY_DIR}/generated src/res src/localize)
target_compile_options(OrvaneScheduledRestart PRIVATE ${ORV_WARNINGS})
target_link_options(OrvaneScheduledRestart PRIVATE -municode $<$<CONFIG:Release>:-s>)
target_link_libraries(OrvaneScheduledRestart PRIVATE orv_win)
set_target_properties(OrvaneScheduledRestart PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${ORV_PROGRAM_DIR})

# Language libraries: resource-only DLLs beside the program, loaded as data
# files. Each must hold exactly the identifiers of the built-in table.
set(ORV_LANGUAGES DEU)
foreach(code IN LISTS ORV_LANGUAGES)
    set(rc ${CMAKE_SOURCE_DIR}/src/localize/lang/OrvaneScheduledRestart_${code}.rc)
    set(stamp ${CMAKE_BINARY_DIR}/generated/ids_${code}.checked)
    add_custom_command(OUTPUT ${stamp}
        COMMAND ${CMAKE_COMMAND} -DBUILTIN=${CMAKE_SOURCE_DIR}/src/localize/RestartRes.rc -DLIBRARY=${rc}
                -DSTAMP=${stamp} -P ${CMAKE_SOURCE_DIR}/cmake/CheckStringIds.cmake
        DEPENDS ${rc} ${CMAKE_SOURCE_DIR}/src/localize/RestartRes.rc ${CMAKE_SOURCE_DIR}/cmake/CheckStringIds.cmake
        COMMENT "Checking the identifiers of the ${code} language library")
    add_library(lang_${code} SHARED ${rc} ${stamp})
    set_target_properties(lang_${code} PROPERTIES
        OUTPUT_NAME OrvaneScheduledRestart_${code} PREFIX "" LINKER_LANGUAGE C
        RUNTIME_OUTPUT_DIRECTORY ${ORV_PROGRAM_DIR})
    target_include_directories(lang_${code} PRIVATE src/localize)
    # No code and no entry point: a data file only.
    target_link_options(lang_${code} PRIVATE -nostdlib -Wl,-e,0 -s)
    add_dependencies(OrvaneScheduledRestart lang_${code})
endforeach()
