# The common part of the MinGW-w64 toolchains (toolchain-mingw32.cmake,
# toolchain-mingw64.cmake), which set LIRVO_MINGW_TRIPLET and
# CMAKE_SYSTEM_PROCESSOR first. Debian's MinGW-w64 GCC in its POSIX threading
# variant, named explicitly: it has std::thread and std::mutex, and the name
# does not depend on which variant the system's alternatives point at.
set(CMAKE_SYSTEM_NAME Windows)

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
