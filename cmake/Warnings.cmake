# Every build warns; only developers' builds (the presets, CI) make warnings fatal, so a user with
# another compiler or build type still gets a library.
option(WORKFLOW_WARNINGS_AS_ERRORS "Treat compiler warnings as errors" OFF)
add_compile_options(-Wall -Wextra -Wpedantic)
if(WORKFLOW_WARNINGS_AS_ERRORS)
  add_compile_options(-Werror)
endif()
