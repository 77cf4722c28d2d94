# A stand-in component: a small shared library built from every source in its folder,
# so a real platform build can put its own library in its place at link time.
function(workflow_platform_component name)
  cmake_parse_arguments(ARG "" "" "DEPENDS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  add_library(${name} SHARED ${sources})
  target_include_directories(${name} PUBLIC $<BUILD_INTERFACE:${CMAKE_CURRENT_SOURCE_DIR}>)
  target_link_libraries(${name} PUBLIC workflow_interfaces)
  # Other components stay part of the interface. Outside libraries (libarchive, libcurl...) are the
  # component's own business once installed: its public headers never show them, so an installed
  # package does not make its users find them; in the build tree they stay visible to the tests.
  foreach(dependency ${ARG_DEPENDS})
    if(dependency MATCHES "::")
      target_link_libraries(${name} PRIVATE ${dependency} PUBLIC $<BUILD_INTERFACE:${dependency}>)
    else()
      target_link_libraries(${name} PUBLIC ${dependency})
    endif()
  endforeach()
  set_target_properties(${name} PROPERTIES EXPORT_NAME ${name})
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
