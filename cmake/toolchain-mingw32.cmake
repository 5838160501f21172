# Cross-compiles for 32-bit Windows (package g++-mingw-w64-i686): the DLL a
# 32-bit host loads.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(LIRVO_MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw.cmake)
