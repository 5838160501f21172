# Cross-compiles for 32-bit Windows with Debian's MinGW-w64 GCC
# (package g++-mingw-w64-i686), POSIX threading variant as in
# toolchain-mingw64.cmake. The 32-bit DLL is the one a 32-bit host loads.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

set(LIRVO_MINGW_TRIPLET i686-w64-mingw32)
set(CMAKE_CXX_COMPILER ${LIRVO_MINGW_TRIPLET}-g++-posix)
set(CMAKE_AR ${LIRVO_MINGW_TRIPLET}-ar CACHE FILEPATH "Archiver")
set(CMAKE_RANLIB ${LIRVO_MINGW_TRIPLET}-ranlib CACHE FILEPATH "Archive indexer")
set(CMAKE_RC_COMPILER ${LIRVO_MINGW_TRIPLET}-windres)

# Headers, libraries and CMake packages come from the MinGW sysroot only.
set(CMAKE_FIND_ROOT_PATH /usr/${LIRVO_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
