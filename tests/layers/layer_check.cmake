# Compiles tests/layers/layer_probe.cpp as a file of one layer would be
# compiled, once including a header the layer may use (that must compile)
# and once a header of a layer above it (that must fail, for want of that
# header). Run by ctest as
#   cmake -DCOMPILER=... -DFLAGS=<list> -DINCLUDES=<list> -DPROBE=<file>
#         -DALLOWED=<header> -DREFUSED=<header> -P layer_check.cmake

function(compile header result output)
  set(arguments ${FLAGS})
  foreach(folder ${INCLUDES})
    list(APPEND arguments -I${folder})
  endforeach()
  execute_process(
    COMMAND ${COMPILER} ${arguments} "-DLORVANE_PROBE_HEADER=\"${header}\"" -fsyntax-only
            -x c++ ${PROBE}
    RESULT_VARIABLE code
    OUTPUT_VARIABLE text
    ERROR_VARIABLE text)
  set(${result} ${code} PARENT_SCOPE)
  set(${output} "${text}" PARENT_SCOPE)
endfunction()

compile(${ALLOWED} code text)
if(NOT code EQUAL 0)
  message(FATAL_ERROR "including ${ALLOWED} did not compile, so the check proves nothing:\n${text}")
endif()

compile(${REFUSED} code text)
if(code EQUAL 0)
  message(FATAL_ERROR "including ${REFUSED} compiled: the layer sees a folder above it")
endif()
string(REGEX REPLACE "([.+])" "\\\\\\1" refused_pattern "${REFUSED}")
if(NOT text MATCHES "${refused_pattern}: No such file")
  message(FATAL_ERROR "including ${REFUSED} failed, but not for want of the header:\n${text}")
endif()
message(STATUS "${ALLOWED} compiles, ${REFUSED} is not found")
