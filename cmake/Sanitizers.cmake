if(WORKFLOW_SANITIZE STREQUAL "address")
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
elseif(WORKFLOW_SANITIZE STREQUAL "thread")
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
elseif(NOT WORKFLOW_SANITIZE STREQUAL "")
  message(FATAL_ERROR "WORKFLOW_SANITIZE must be empty, 'address' or 'thread'")
endif()

# A sanitizer's report needs files and lines, not variables: line tables only, which builds the
# instrumented tree about a seventh faster than full debug information.
if(NOT WORKFLOW_SANITIZE STREQUAL "")
  add_compile_options(-g1)
endif()

if(WORKFLOW_BUILD_FUZZERS)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "WORKFLOW_BUILD_FUZZERS needs clang (libFuzzer)")
  endif()
  # In the fuzzing build (with the sanitizers), coverage feedback from inside the libraries, where
  # the parsers are, not only from the fuzz targets themselves. Linking with it too lets every
  # other program of the build load the instrumented libraries. A plain clang build keeps its
  # libraries as users get them: its fuzz targets only replay their seeds.
  if(WORKFLOW_SANITIZE STREQUAL "address")
    add_compile_options(-fsanitize=fuzzer-no-link)
    add_link_options(-fsanitize=fuzzer-no-link)
  endif()
endif()
