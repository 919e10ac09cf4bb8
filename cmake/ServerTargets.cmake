# Helpers that keep the per-directory build files short: a library is every
# .cpp of its directory, a test is every *_test.cpp file of tests/.

# server_library(<name> [DEPS <targets>...] [EXCLUDE <files>...])
# Builds a static library from the .cpp files in the calling directory,
# leaving out the EXCLUDE files (a program's main, for instance). A
# directory without sources yields an interface library, so dependants can
# link it before it has any code.
function(server_library name)
  cmake_parse_arguments(ARG "" "" "DEPS;EXTRA_SOURCES;EXCLUDE" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  foreach(excluded ${ARG_EXCLUDE})
    list(REMOVE_ITEM sources ${CMAKE_CURRENT_SOURCE_DIR}/${excluded})
  endforeach()
  list(APPEND sources ${ARG_EXTRA_SOURCES})
  if(sources)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR} ${PROJECT_BINARY_DIR})
    target_include_directories(${name} SYSTEM PUBLIC ${SERVER_DEPS_INCLUDE})
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR} ${PROJECT_BINARY_DIR})
    target_include_directories(${name} SYSTEM INTERFACE ${SERVER_DEPS_INCLUDE})
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
  endif()
endfunction()

# Every library of the system, in link order (users before what they use).
set(SERVER_ALL_LIBRARIES core hardware protocol schemas asn1 runtime CACHE INTERNAL "")
