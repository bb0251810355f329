# nlohmann/json for a cross build, from the build machine's headers (see
# cmake/host-headers.cmake).
if(NOT TARGET nlohmann_json::nlohmann_json)
  add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
  set_target_properties(nlohmann_json::nlohmann_json PROPERTIES
    INTERFACE_SYSTEM_INCLUDE_DIRECTORIES ${LIVRA_HOST_HEADERS}
    INTERFACE_INCLUDE_DIRECTORIES ${LIVRA_HOST_HEADERS})
endif()
set(nlohmann_json_FOUND TRUE)
