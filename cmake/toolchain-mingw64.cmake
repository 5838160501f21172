# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 GCC
# (package g++-mingw-w64-x86-64). The POSIX threading variant is named
# explicitly: it has std::thread and std::mutex, and the name does not depend
# on which variant the system's alternatives point at.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(LIRVO_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_CXX_COMPILER ${LIRVO_MINGW_TRIPLET}-g++-posix)
set(CMAKE_AR ${LIRVO_MINGW_TRIPLET}-ar CACHE FILEPATH "Archiver")
set(CMAKE_RANLIB ${LIRVO_MINGW_TRIPLET}-ranlib CACHE FILEPATH "Archive indexer")
set(CMAKE_RC_COMPILER ${LIRVO_MINGW_TRIPLET}-windres)

# Headers, libraries and CMake packages come from the MinGW sysroot only: the
# host's /usr/include would shadow the Windows C runtime's headers.
set(CMAKE_FIND_ROOT_PATH /usr/${LIRVO_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
