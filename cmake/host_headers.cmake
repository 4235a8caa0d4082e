# CLI11 and nlohmann_json are header-only: a cross build uses the build
# machine's copies. Their folders are copied into the build folder, so the
# target compiler never sees the build machine's other system headers.
set(LORVANE_HOST_INCLUDE_DIR "/usr/include" CACHE PATH "Where the build machine's CLI11 and nlohmann_json headers are")
set(host_headers ${CMAKE_BINARY_DIR}/host-headers)
foreach(folder CLI nlohmann)
  if(NOT EXISTS ${LORVANE_HOST_INCLUDE_DIR}/${folder})
    message(FATAL_ERROR "${LORVANE_HOST_INCLUDE_DIR}/${folder} is missing: install libcli11-dev and nlohmann-json3-dev")
  endif()
  file(COPY ${LORVANE_HOST_INCLUDE_DIR}/${folder} DESTINATION ${host_headers})
endforeach()
add_library(CLI11::CLI11 INTERFACE IMPORTED)
set_target_properties(CLI11::CLI11 PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${host_headers})
add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
set_target_properties(nlohmann_json::nlohmann_json PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${host_headers})
