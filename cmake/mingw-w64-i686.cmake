# Cross build for 32-bit Windows (i686, PE32) with Debian's MinGW-w64 (posix
# threads, so that std::thread and std::mutex exist). A 32-bit program runs on
# 32-bit and 64-bit Windows alike, and sees the registry view and the client
# library that 32-bit server installers write. Tests run under Wine's WoW64
# through scripts/wine.sh.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(SKD_MINGW_TRIPLE i686-w64-mingw32)
set(CMAKE_C_COMPILER ${SKD_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${SKD_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${SKD_MINGW_TRIPLE}-windres)

# Headers and libraries from the MinGW sysroot only; programs from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${SKD_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Windows 7 API level, wide-character Win32 calls. -municode stays off here:
# only a wWinMain program needs it, and it breaks every plain main().
set(SKD_MINGW_DEFINES "-D_WIN32_WINNT=0x0601 -DUNICODE -D_UNICODE")
set(CMAKE_C_FLAGS_INIT "${SKD_MINGW_DEFINES}")
set(CMAKE_CXX_FLAGS_INIT "${SKD_MINGW_DEFINES}")

# The disc's programs must start on a machine without the MinGW runtime
# DLLs, so libgcc, libstdc++ and winpthread are linked in.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")

# ctest and gtest_discover_tests start .exe files through Wine, with one
# prefix per build tree.
get_filename_component(SKD_SOURCE_ROOT "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR
    /usr/bin/env "SKD_WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix"
    "${SKD_SOURCE_ROOT}/scripts/wine.sh")
