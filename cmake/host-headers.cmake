# Header-only libraries installed on the build machine serve a cross build
# too. The cross compiler does not search /usr/include, and adding all of it
# would bring the build machine's C library headers; so a folder of the build
# holds links to just these libraries, and a package config of ours stands in
# for theirs (whose include path is /usr/include).
set(LIVRA_HOST_HEADERS ${CMAKE_BINARY_DIR}/host-headers)
foreach(lib nlohmann)
  if(EXISTS /usr/include/${lib} AND NOT EXISTS ${LIVRA_HOST_HEADERS}/${lib})
    file(MAKE_DIRECTORY ${LIVRA_HOST_HEADERS})
    file(CREATE_LINK /usr/include/${lib} ${LIVRA_HOST_HEADERS}/${lib} SYMBOLIC)
  endif()
endforeach()
include_directories(SYSTEM ${LIVRA_HOST_HEADERS})
if(EXISTS ${LIVRA_HOST_HEADERS}/nlohmann)
  # Where src/CMakeLists.txt would otherwise find /usr/include itself.
  set(LIVRA_NLOHMANN_JSON_DIR ${LIVRA_HOST_HEADERS} CACHE PATH "nlohmann/json for the cross build" FORCE)
  set(nlohmann_json_DIR ${CMAKE_CURRENT_LIST_DIR}/host-headers CACHE PATH "" FORCE)
endif()
