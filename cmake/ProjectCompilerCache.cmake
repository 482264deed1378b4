# Compiles through ccache where it is installed. Paths under the source folder
# are hashed as relative ones and the working folder is left out of the hash,
# so that a fresh clone elsewhere on the same machine hits the cache of an
# earlier one; the prefix maps keep the objects free of either folder.
# PROJECT_COMPILER_CACHE=OFF compiles without it.
option(PROJECT_COMPILER_CACHE "Compile through ccache where it is installed" ON)
find_program(PROJECT_CCACHE ccache)
if(PROJECT_COMPILER_CACHE AND PROJECT_CCACHE)
  set(launcher ${CMAKE_COMMAND} -E env CCACHE_BASEDIR=${PROJECT_SOURCE_DIR}
      CCACHE_NOHASHDIR=1 ${PROJECT_CCACHE})
  set(CMAKE_C_COMPILER_LAUNCHER ${launcher})
  set(CMAKE_CXX_COMPILER_LAUNCHER ${launcher})
endif()
