# The Windows program and its runtime, cross-compiled with MinGW-w64.

enable_language(RC)
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -c 65001")

configure_file(src/res/version.h.in ${CMAKE_BINARY_DIR}/generated/version.h @ONLY)
# The manifest names the program's own version and processor.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(ORV_MANIFEST_ARCH x86)
else()
    set(ORV_MANIFEST_ARCH amd64)
endif()
configure_file(src/res/OrvaneScheduledRestart.exe.manifest.in
               ${CMAKE_BINARY_DIR}/generated/OrvaneScheduledRestart.exe.manifest @ONLY)

set(ORV_PROGRAM_DIR ${CMAKE_BINARY_DIR}/program)

add_compile_definitions(UNICODE _UNICODE NOMINMAX WIN32_LEAN_AND_MEAN _WIN32_WINNT=0x0601 WINVER=0x0601)
# No MinGW DLL beside the program: the C and C++ runtimes and winpthread are linked in.
add_link_options(-static -static-libgcc -static-libstdc++ -Wl,--nxcompat -Wl,--dynamicbase)
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    add_link_options(-Wl,--large-address-aware)
else()
    add_link_options(-Wl,--high-entropy-va)
endif()

add_library(orv_win STATIC
    src/runtime/App.cpp
    src/runtime/ApartmentThread.cpp
    src/runtime/ComLibrary.cpp
    src/runtime/DateTime.cpp
    src/runtime/Dialogs.cpp
    src/runtime/ErrorReporting.cpp
    src/runtime/FileSystem.cpp
    src/runtime/Controls.cpp
    src/runtime/Fonts.cpp
    src/runtime/Form.cpp
    src/runtime/Menus.cpp
    src/runtime/MessageLoop.cpp
    src/runtime/Twips.cpp
    src/runtime/SystemApi.cpp
    src/runtime/Text.cpp
    src/runtime/StdOutput.cpp
    src/logging/modLogging.cpp
    src/hostenv/OrvaneVersion.cpp
    src/hostenv/RegistryAPI.cpp
    src/hostenv/WorkStationInfo.cpp
    src/hostenv/FolderAccess.cpp
    src/localize/modLocalize.cpp
    src/localize/FormTexts.cpp
    src/machine/modCallExternalApp.cpp
    src/restart/frmRestart.cpp
    src/machine/EventLog.cpp
    src/machine/GatewayControl.cpp
    src/verify/VerifyHost.cpp
    src/restart/NightControl.cpp
    src/verify/BootCheck.cpp
    src/preview/PreviewReader.cpp
    src/preview/frmPreview.cpp
    src/config/frmConfigure.cpp
    src/schedule/ScheduledTasks.cpp
    src/schedule/frmSchedule.cpp
    src/schedule/frmTaskProperties.cpp
    src/schedule/TaskTexts.cpp
    src/schedule/TaskCommand.cpp
    src/about/frmAbout.cpp
    src/about/WebBrowserHost.cpp
    src/process/ProgramEnd.cpp
    src/startup/Module1.cpp
)
target_include_directories(orv_win PUBLIC src ${CMAKE_BINARY_DIR}/generated)
target_compile_options(orv_win PRIVATE ${ORV_WARNINGS})
# COM, OLE and the shell are looked up in the system folder when first used.
target_link_libraries(orv_win PUBLIC orv_core user32 gdi32 comctl32 advapi32 uuid)


# The About window's logos, drawn by a script of our own.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(ORV_LOGO_DIR ${CMAKE_BINARY_DIR}/generated/logos)
add_custom_command(OUTPUT ${ORV_LOGO_DIR}/OrvaneLogo.bmp ${ORV_LOGO_DIR}/MakerLogo.bmp
    COMMAND ${CMAKE_COMMAND} -E make_directory ${ORV_LOGO_DIR}
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/src/about/logos.py ${ORV_LOGO_DIR}
    DEPENDS ${CMAKE_SOURCE_DIR}/src/about/logos.py
    COMMENT "Drawing the logos")
set_source_files_properties(src/about/About.rc PROPERTIES
    OBJECT_DEPENDS "${ORV_LOGO_DIR}/OrvaneLogo.bmp;${ORV_LOGO_DIR}/MakerLogo.bmp")

# The version resource, the built-in string table and the logos: the
# program's, and the test program's, which reads them as the program does.
add_library(orv_version_res OBJECT src/res/version.rc src/localize/RestartRes.rc src/about/About.rc)
target_include_directories(orv_version_res PRIVATE ${CMAKE_BINARY_DIR}/generated ${ORV_LOGO_DIR} src/res src/localize
                                                   src/about)

# The program: its manifest, and the resources above (each compiled once).
add_executable(OrvaneScheduledRestart WIN32
    src/startup/WinMain.cpp
    src/res/OrvaneScheduledRestart.rc
    $<TARGET_OBJECTS:orv_version_res>
)
target_include_directories(OrvaneScheduledRestart PRIVATE ${CMAKE_BINARY_DIR}/generated)
target_compile_options(OrvaneScheduledRestart PRIVATE ${ORV_WARNINGS})
target_link_options(OrvaneScheduledRestart PRIVATE -municode $<$<CONFIG:Release>:-s>)
# The code the configuration window runs before it shows, apart from the rest.
target_link_options(OrvaneScheduledRestart PRIVATE "-Wl,-T,${CMAKE_SOURCE_DIR}/cmake/cold-code.ld")
set_property(TARGET OrvaneScheduledRestart APPEND PROPERTY LINK_DEPENDS ${CMAKE_SOURCE_DIR}/cmake/cold-code.ld)
target_link_libraries(OrvaneScheduledRestart PRIVATE orv_win)
set_target_properties(OrvaneScheduledRestart PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${ORV_PROGRAM_DIR})

# Language libraries: resource-only DLLs beside the program, loaded as data
# files. Each must hold exactly the identifiers of the built-in table.
set(ORV_LANGUAGES DEU JPN)
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

# Event message libraries: one .mc source, three resource-only DLLs.
set(ORV_MC ${CMAKE_SOURCE_DIR}/src/machine/EventMessages.mc)
set(ORV_MC_OUT ${CMAKE_BINARY_DIR}/generated/mc)
add_custom_command(OUTPUT ${ORV_MC_OUT}/EventMessages.rc ${ORV_MC_OUT}/EventMessages.h
    COMMAND ${CMAKE_COMMAND} -E make_directory ${ORV_MC_OUT}
    COMMAND ${ORV_WINDMC} -U -h ${ORV_MC_OUT} -r ${ORV_MC_OUT} ${ORV_MC}
    DEPENDS ${ORV_MC}
    COMMENT "Compiling the event messages")
foreach(kind EVT CAT PARAM)
    add_library(msg_${kind} SHARED ${ORV_MC_OUT}/EventMessages.rc)
    set_target_properties(msg_${kind} PROPERTIES
        OUTPUT_NAME ${kind}_OrvaneScheduledRestart PREFIX "" LINKER_LANGUAGE C
        RUNTIME_OUTPUT_DIRECTORY ${ORV_PROGRAM_DIR})
    target_include_directories(msg_${kind} PRIVATE ${ORV_MC_OUT})
    target_link_options(msg_${kind} PRIVATE -nostdlib -Wl,-e,0 -s)
    add_dependencies(OrvaneScheduledRestart msg_${kind})
endforeach()

# Shipped beside the program: the kill utility and a sample reboot.bat.
add_executable(kill tools/kill/kill.cpp tools/kill/Wildcard.cpp)
target_compile_options(kill PRIVATE ${ORV_WARNINGS})
target_link_options(kill PRIVATE -municode $<$<CONFIG:Release>:-s>)
set_target_properties(kill PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${ORV_PROGRAM_DIR})
add_dependencies(OrvaneScheduledRestart kill)
configure_file(tools/reboot.bat ${ORV_PROGRAM_DIR}/reboot.bat COPYONLY)

# The MSI's custom actions for the scheduled task: in its Binary table, not
# in the program folder. Undecorated exports, as msiexec looks them up.
add_library(OrvaneMsiActions SHARED packaging/msiactions/ScheduleActions.cpp)
target_link_libraries(OrvaneMsiActions PRIVATE orv_core msi)
target_compile_options(OrvaneMsiActions PRIVATE ${ORV_WARNINGS})
target_link_options(OrvaneMsiActions PRIVATE -Wl,--kill-at $<$<CONFIG:Release>:-s>)
set_target_properties(OrvaneMsiActions PROPERTIES PREFIX "" RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/msiactions)
add_dependencies(OrvaneScheduledRestart OrvaneMsiActions)
# The help pages: one frame (head, style sheet) around each language's text;
# the English page is also the neutral one.
set(ORV_HELP ${CMAKE_SOURCE_DIR}/src/about/help)
function(orv_help_page page lang title body)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${ORV_HELP}/${body})
    file(READ ${ORV_HELP}/${body} HELP_BODY)
    set(HELP_LANG ${lang})
    set(HELP_TITLE "${title}")
    configure_file(${ORV_HELP}/HelpPage.htm.in ${ORV_PROGRAM_DIR}/${page} @ONLY)
endfunction()
orv_help_page(OrvaneScheduledRestart.htm en "Orvane Scheduled Restart - Help" OrvaneScheduledRestart.body.htm)
orv_help_page(OrvaneScheduledRestart_ENU.htm en "Orvane Scheduled Restart - Help" OrvaneScheduledRestart.body.htm)
orv_help_page(OrvaneScheduledRestart_DEU.htm de "Orvane Scheduled Restart - Hilfe" OrvaneScheduledRestart_DEU.body.htm)
configure_file(${ORV_HELP}/OrvaneScheduledRestart.css ${ORV_PROGRAM_DIR}/OrvaneScheduledRestart.css COPYONLY)

# The test sandbox's stand-ins, and the benchmark's helpers.
add_subdirectory(sandbox)
add_subdirectory(bench)
