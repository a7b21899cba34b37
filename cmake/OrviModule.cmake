# orvi_layer_includes(TARGET DEPS ...)
# A library sees the headers of its own folder and of the libraries it builds
# on, and no others: its include folder (build/layers/<target>) holds a link
# to each of those source folders only, so an include of a higher layer does
# not compile. Dependents inherit the folders through the link.
function(orvi_layer_includes name)
  get_filename_component(folder ${CMAKE_CURRENT_SOURCE_DIR} NAME)
  set(visible ${folder})
  foreach(dep ${ARGN})
    get_property(below GLOBAL PROPERTY ORVI_VISIBLE_${dep})
    list(APPEND visible ${below})
  endforeach()
  list(REMOVE_DUPLICATES visible)
  set_property(GLOBAL PROPERTY ORVI_VISIBLE_${name} ${visible})
  set(dir ${CMAKE_BINARY_DIR}/layers/${name})
  file(REMOVE_RECURSE ${dir})
  file(MAKE_DIRECTORY ${dir})
  foreach(v ${visible})
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/src/${v} ${dir}/${v} SYMBOLIC)
  endforeach()
  get_target_property(type ${name} TYPE)
  if(type STREQUAL "INTERFACE_LIBRARY")
    target_include_directories(${name} INTERFACE ${dir})
  else()
    target_include_directories(${name} PUBLIC ${dir})
  endif()
endfunction()

# orvi_module(NAME SOURCES ... DEPS ...)
# One library per source folder. A folder with no sources yet is an interface
# target, so the dependency graph already has its final shape.
function(orvi_module name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  if(ARG_SOURCES)
    add_library(${name} STATIC ${ARG_SOURCES})
    target_link_libraries(${name} PUBLIC ${ARG_DEPS} PRIVATE orvi_warnings)
  else()
    add_library(${name} INTERFACE)
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
  endif()
  orvi_layer_includes(${name} ${ARG_DEPS})
endfunction()

# orvi_module_glob(NAME DEPS ...): a library of every .cpp file of the folder.
function(orvi_module_glob name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  orvi_module(${name} SOURCES ${sources} DEPS ${ARG_DEPS})
endfunction()
