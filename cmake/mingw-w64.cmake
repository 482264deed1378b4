# Windows with mingw-w64, shared by the i686 and x86-64 toolchain files, which set
# MINGW_TRIPLE and WINE_LOADER first; tests run under Wine through run-wine.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${MINGW_TRIPLE}-windres)
set(CMAKE_OBJDUMP ${MINGW_TRIPLE}-objdump)
set(CMAKE_DLLTOOL ${MINGW_TRIPLE}-dlltool)

set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# The C and C++ runtimes are linked in, so every module imports Windows system DLLs only.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Every Windows program of the tests starts through run-wine, which runs it with
# this Wine loader or, where the loader cannot run on this kernel, makes CTest
# report the test as skipped (exit code 77) with the reason.
set(WINE_LOADER ${WINE_LOADER} CACHE FILEPATH "Wine loader that runs the test programs")
set(WINE_RUN ${CMAKE_CURRENT_LIST_DIR}/run-wine)
set(CMAKE_CROSSCOMPILING_EMULATOR ${WINE_RUN} ${WINE_LOADER})
