# Cross-compiles for Windows with Debian's MinGW-w64 (posix thread model).
# The shipped program is x86 (ORV_WINDOWS_ARCH i686), like the product's own
# tools: under WOW64 it then reads the product's registry view and can load
# its in-process gateway object. x86_64 builds the same sources as a 64-bit
# program, for test hosts that cannot run 32-bit code.
if(NOT ORV_WINDOWS_ARCH)
    set(ORV_WINDOWS_ARCH i686)
endif()
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${ORV_WINDOWS_ARCH})
set(triple ${ORV_WINDOWS_ARCH}-w64-mingw32)
set(CMAKE_C_COMPILER ${triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${triple}-g++-posix)
set(CMAKE_RC_COMPILER ${triple}-windres)
set(ORV_WINDMC ${triple}-windmc)
set(ORV_OBJDUMP ${triple}-objdump)
set(CMAKE_FIND_ROOT_PATH /usr/${triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Windows test programs run under Wine (scripts/test.sh owns the prefix).
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh)
