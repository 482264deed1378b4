# 32-bit Linux (i386) with the host's multilib compilers: the portable core, to
# show that 32-bit code generation gives the same bits. The programs link the
# multilib C and C++ runtimes as shared libraries, as the native build does: the
# library tests load the probe libraries, which share the movable-memory library
# with them, and a library with its own static C++ runtime could not be unloaded.
# run-i386 runs the programs directly where the kernel can and under
# qemu-i386-static where it cannot.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i386)

set(CMAKE_C_COMPILER gcc)
set(CMAKE_CXX_COMPILER g++)
set(CMAKE_C_FLAGS_INIT "-m32 -msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-m32 -msse2 -mfpmath=sse")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-m32")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-m32")

set(CMAKE_LIBRARY_ARCHITECTURE i386-linux-gnu)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)

set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/run-i386)
