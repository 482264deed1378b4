# 64-bit Windows with mingw-w64: the same code, tested under 64-bit Wine on
# kernels that cannot run 32-bit programs. Not a deliverable.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(MINGW_TRIPLE x86_64-w64-mingw32)
set(WINE_LOADER /usr/lib/wine/wine64)

include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
