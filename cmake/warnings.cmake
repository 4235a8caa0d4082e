# Warnings in our own code are errors. GCC 12 reports false overflow and
# overlap warnings inside its own string and algorithm headers at -O3
# (release builds); those two stay warnings.
function(lorvane_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Werror)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(${target} PRIVATE -Wno-error=restrict -Wno-error=stringop-overflow)
  endif()
endfunction()
