# nlohmann_json::nlohmann_json for a cross-compile. The JSON library is
# header-only, but its headers sit in the build machine's /usr/include, and
# putting that folder on the include path would shadow the target's own C and
# C++ headers. So the build tree gets a folder that holds only the library's
# headers, and the target points there.
find_path(LIRVO_JSON_INCLUDE_DIR nlohmann/json.hpp NO_CMAKE_FIND_ROOT_PATH
          DOC "Folder holding nlohmann/json.hpp on the build machine")
if(NOT LIRVO_JSON_INCLUDE_DIR)
  message(FATAL_ERROR "nlohmann/json.hpp not found (Debian package nlohmann-json3-dev)")
endif()

set(lirvo_json_dir "${CMAKE_BINARY_DIR}/json-include")
file(MAKE_DIRECTORY "${lirvo_json_dir}")
file(CREATE_LINK "${LIRVO_JSON_INCLUDE_DIR}/nlohmann" "${lirvo_json_dir}/nlohmann"
     COPY_ON_ERROR SYMBOLIC)

add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
target_include_directories(nlohmann_json::nlohmann_json SYSTEM INTERFACE "${lirvo_json_dir}")
