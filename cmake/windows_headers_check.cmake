# Checks that the portable layers live with <windows.h>, as the Windows host
# adapter will: every header compiles after <windows.h> and <ole2.h> (no
# clash with their object-like macros), and no name in the layers is one
# that those headers silently turn into its ANSI or wide variant
# (check_windows_names.sh).
set(lirvo_folders "")
set(lirvo_includes "#include <windows.h>\n#include <ole2.h>\n")
set(lirvo_libraries "")
foreach(dir IN LISTS LIRVO_PORTABLE_LAYERS)
  list(APPEND lirvo_folders "${PROJECT_SOURCE_DIR}/src/${dir}")
  list(APPEND lirvo_libraries lirvo_${dir})
  file(GLOB lirvo_headers CONFIGURE_DEPENDS RELATIVE "${PROJECT_SOURCE_DIR}/src"
       "${PROJECT_SOURCE_DIR}/src/${dir}/*.h")
  foreach(header IN LISTS lirvo_headers)
    string(APPEND lirvo_includes "#include \"${header}\"\n")
  endforeach()
endforeach()

set(lirvo_all_headers "${CMAKE_BINARY_DIR}/windows_headers_check.cc")
file(CONFIGURE OUTPUT "${lirvo_all_headers}" CONTENT "${lirvo_includes}")
add_library(lirvo_windows_headers OBJECT "${lirvo_all_headers}")
target_link_libraries(lirvo_windows_headers PRIVATE ${lirvo_libraries})

add_custom_target(lirvo_windows_names ALL
  COMMAND bash "${PROJECT_SOURCE_DIR}/cmake/check_windows_names.sh"
          "${CMAKE_CXX_COMPILER}" ${lirvo_folders}
  COMMENT "Looking for names that <windows.h> redefines"
  VERBATIM)
