# Each layer is a static library made of the sources of its folder (not its subfolders), so a new
# file needs no build edit, and a layer sees only what it links: a stray include fails the build.
function(ruv_layer_library name dir)
  file(GLOB _sources CONFIGURE_DEPENDS ${dir}/*.cpp)
  add_library(${name} STATIC ${_sources})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
endfunction()

# One GoogleTest executable per test folder; every case is registered with CTest.
function(ruv_test_executable name dir)
  file(GLOB _sources CONFIGURE_DEPENDS ${dir}/*.cpp)
  if(NOT _sources)
    return()
  endif()
  add_executable(${name} ${_sources})
  target_link_libraries(${name} PRIVATE GTest::gtest GTest::gtest_main GTest::gmock ${ARGN})
  target_compile_definitions(${name} PRIVATE
    RUV_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    RUV_SHARED_DIR="${PROJECT_SOURCE_DIR}/../shared"
    RUV_BIN_DIR="${RUV_BIN_DIR}")
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
endfunction()
