# The core library is one static library per folder of src/, a layer, each
# linking the layers it builds on. A layer compiles with an include root of
# its own, build/layers/<layer>/, holding links to its folder and the folders
# of the layers below it and to nothing else: `#include "shell/..."` in a
# file of src/tiledb finds no header and the build fails. (A quoted include
# of a header beside the file still finds it there first.)
#
#   lorvane_layer(<layer> [<layer below> ...])
#
# makes the target lorvane-<layer> from src/<layer>/*.cpp. The layers below
# must be declared first; what they see, this layer sees too.

set(LORVANE_LAYER_ROOTS ${CMAKE_BINARY_DIR}/layers)

function(lorvane_layer layer)
  set(visible ${layer})
  foreach(below ${ARGN})
    if(NOT TARGET lorvane-${below})
      message(FATAL_ERROR "layer ${layer}: the layer ${below} below it is not declared yet")
    endif()
    get_property(seen GLOBAL PROPERTY LORVANE_LAYER_VISIBLE_${below})
    list(APPEND visible ${seen})
  endforeach()
  list(REMOVE_DUPLICATES visible)
  set_property(GLOBAL PROPERTY LORVANE_LAYER_VISIBLE_${layer} ${visible})
  set_property(GLOBAL APPEND PROPERTY LORVANE_LAYERS ${layer})

  # The include root: a link per visible folder; links left by an earlier
  # configuration that this layer may no longer see are taken away.
  set(root ${LORVANE_LAYER_ROOTS}/${layer})
  file(MAKE_DIRECTORY ${root})
  file(GLOB present LIST_DIRECTORIES true RELATIVE ${root} ${root}/*)
  foreach(entry ${present})
    if(NOT entry IN_LIST visible AND IS_SYMLINK ${root}/${entry})
      file(REMOVE ${root}/${entry})
    endif()
  endforeach()
  foreach(folder ${visible})
    set(target ${PROJECT_SOURCE_DIR}/src/${folder})
    if(IS_SYMLINK ${root}/${folder})
      file(READ_SYMLINK ${root}/${folder} linked)
      if(linked STREQUAL target)
        continue()
      endif()
      file(REMOVE ${root}/${folder})
    endif()
    file(CREATE_LINK ${target} ${root}/${folder} SYMBOLIC)
  endforeach()

  file(GLOB sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/${layer}/*.cpp)
  # The file layer's system half: one for Windows, one for every other system.
  if(WIN32)
    list(FILTER sources EXCLUDE REGEX "_posix\\.cpp$")
  else()
    list(FILTER sources EXCLUDE REGEX "_windows\\.cpp$")
  endif()
  add_library(lorvane-${layer} STATIC ${sources})
  target_include_directories(lorvane-${layer} PRIVATE ${root})
  foreach(below ${ARGN})
    target_link_libraries(lorvane-${layer} PUBLIC lorvane-${below})
  endforeach()
  lorvane_warnings(lorvane-${layer})
endfunction()
