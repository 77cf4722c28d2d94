# A stand-in component: a small shared library built from every source in its folder,
# so a real platform build can put its own library in its place at link time.
function(workflow_platform_component name)
  cmake_parse_arguments(ARG "" "" "DEPENDS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  add_library(${name} SHARED ${sources})
  target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC workflow_interfaces ${ARG_DEPENDS})
  set_property(GLOBAL APPEND PROPERTY WORKFLOW_PLATFORM_COMPONENTS ${name})
endfunction()

# One GoogleTest executable per test folder, every test registered with ctest.
function(workflow_test_folder name)
  cmake_parse_arguments(ARG "" "" "DEPENDS;LABELS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ${ARG_DEPENDS} GTest::gmock GTest::gtest GTest::gmock_main Threads::Threads)
  include(GoogleTest)
  # A list in PROPERTIES would keep only its first label; the folder's labels reach every test.
  set_property(DIRECTORY APPEND PROPERTY LABELS ${ARG_LABELS})
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
  # The ThreadSanitizer build only needs the executables that hold concurrent tests.
  if("concurrent" IN_LIST ARG_LABELS)
    set_property(GLOBAL APPEND PROPERTY WORKFLOW_CONCURRENT_TESTS ${name})
  endif()
endfunction()
