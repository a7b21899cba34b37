# orvi_module(NAME SOURCES ... DEPS ...)
# One library per source folder. A folder with no sources yet is an interface
# target, so the dependency graph already has its final shape.
function(orvi_module name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  if(ARG_SOURCES)
    add_library(${name} STATIC ${ARG_SOURCES})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} PUBLIC ${ARG_DEPS} PRIVATE orvi_warnings)
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
  endif()
endfunction()

# orvi_module_glob(NAME DEPS ...): a library of every .cpp file of the folder.
function(orvi_module_glob name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  orvi_module(${name} SOURCES ${sources} DEPS ${ARG_DEPS})
endfunction()
