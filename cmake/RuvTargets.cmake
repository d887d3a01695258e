# Each layer sees only the headers of the layers it links: a folder's headers are published under
# build/layers/<folder>/, as links named by their path below src/, and a target gets the include
# roots of itself and of what it links. So `#include "host/sim/..."` from the exporter, or
# `#include "host/..."` from the .x library, fails the build. A subfolder with a CMakeLists.txt of
# its own is a layer of its own and is not published with its parent.
function(ruv_layer_headers target dir)
  file(RELATIVE_PATH _rel ${PROJECT_SOURCE_DIR}/src ${dir})
  string(REPLACE "/" "_" _root_name "${_rel}")
  set(_root ${CMAKE_BINARY_DIR}/layers/${_root_name})
  file(GLOB_RECURSE _headers CONFIGURE_DEPENDS RELATIVE ${dir} ${dir}/*.h ${dir}/*.hpp ${dir}/*.inc)
  file(GLOB_RECURSE _own_lists RELATIVE ${dir} ${dir}/*/CMakeLists.txt)
  set(_sublayers)
  foreach(_list ${_own_lists})
    get_filename_component(_sub ${_list} DIRECTORY)
    list(APPEND _sublayers ${_sub})
  endforeach()
  file(REMOVE_RECURSE ${_root})
  foreach(_header ${_headers})
    set(_skip FALSE)
    foreach(_sub ${_sublayers})
      string(FIND "${_header}" "${_sub}/" _at)
      if(_at EQUAL 0)
        set(_skip TRUE)
      endif()
    endforeach()
    if(NOT _skip)
      get_filename_component(_folder ${_root}/${_rel}/${_header} DIRECTORY)
      file(MAKE_DIRECTORY ${_folder})
      file(CREATE_LINK ${dir}/${_header} ${_root}/${_rel}/${_header} SYMBOLIC)
    endif()
  endforeach()
  target_include_directories(${target} PUBLIC ${_root})
endfunction()

# Publishes the named headers of a folder outside src/ under build/layers/<root>/<prefix>/, for the
# target's users (PUBLIC) or for the target alone (PRIVATE): a front-end shows its users only the
# headers meant for them.
function(ruv_named_headers target scope root prefix)
  set(_root ${CMAKE_BINARY_DIR}/layers/${root})
  file(REMOVE_RECURSE ${_root})
  file(MAKE_DIRECTORY ${_root}/${prefix})
  foreach(_header ${ARGN})
    get_filename_component(_name ${_header} NAME)
    file(CREATE_LINK ${_header} ${_root}/${prefix}/${_name} SYMBOLIC)
  endforeach()
  target_include_directories(${target} ${scope} ${_root})
endfunction()

# Each layer is a static library made of the sources of its folder (not its subfolders), so a new
# file needs no build edit.
function(ruv_layer_library name dir)
  file(GLOB _sources CONFIGURE_DEPENDS ${dir}/*.cpp)
  add_library(${name} STATIC ${_sources})
  ruv_layer_headers(${name} ${dir})
endfunction()

# One GoogleTest executable per test folder; every case is registered with CTest. The files named
# after EXCEPT (names within `dir`) are left out, for the caller to add on a condition of its own.
function(ruv_test_executable name dir)
  cmake_parse_arguments(PARSE_ARGV 2 _arg "" "" "EXCEPT")
  file(GLOB _sources CONFIGURE_DEPENDS ${dir}/*.cpp)
  foreach(_except ${_arg_EXCEPT})
    list(REMOVE_ITEM _sources ${dir}/${_except})
  endforeach()
  if(NOT _sources)
    return()
  endif()
  add_executable(${name} ${_sources})
  target_link_libraries(${name} PRIVATE GTest::gtest GTest::gtest_main GTest::gmock
    ${_arg_UNPARSED_ARGUMENTS})
  # Tests are no layer: they may look at any header, as they link what they need.
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src)
  target_compile_definitions(${name} PRIVATE
    RUV_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    RUV_SHARED_DIR="${PROJECT_SOURCE_DIR}/../shared"
    RUV_BIN_DIR="${RUV_BIN_DIR}")
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
endfunction()
