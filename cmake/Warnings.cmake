add_compile_options(-Wall -Wextra -Wpedantic -Werror)
# g++ 12 reports std::variant alternatives as maybe-uninitialized when it inlines moves of the
# model's collection edits at -O2 and above; the reports are false and vary with inlining, so
# that one analysis is left out rather than silenced at every call site.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  add_compile_options(-Wno-maybe-uninitialized)
endif()
