# The Windows programs' resources and packages (included by the top-level
# CMakeLists.txt in a Windows build):
# - each program gets an icon, version information and a manifest;
# - the folder Lorvane-<version>-win64 gathers the programs, the image writer,
#   the sample theater (from the native build) and the licences; it is
#   zipped into Lorvane-<version>-win64.zip and made into
#   Lorvane-<version>-setup.exe by NSIS (makensis), when that is installed.
# Qt is linked statically (tools/build_qt_windows.sh builds it), so the
# programs need no other DLL.

set(LORVANE_NATIVE_BUILD "" CACHE PATH "The native build folder (its lorvane-cli, sample/ and lorvane.ico)")
set(LORVANE_ICON "")
if(LORVANE_NATIVE_BUILD AND EXISTS ${LORVANE_NATIVE_BUILD}/lorvane.ico)
  set(LORVANE_ICON ${LORVANE_NATIVE_BUILD}/lorvane.ico)
endif()

# lorvane_windows_resources(TARGET DESCRIPTION): the target's .rc file.
function(lorvane_windows_resources target description)
  set(LORVANE_RC_NAME ${target})
  set(LORVANE_RC_DESCRIPTION "${description}")
  set(LORVANE_RC_MANIFEST ${PROJECT_SOURCE_DIR}/packaging/windows/lorvane.manifest)
  set(LORVANE_RC_ICON "")
  if(LORVANE_ICON)
    set(LORVANE_RC_ICON "1 ICON \"${LORVANE_ICON}\"")
  endif()
  configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/lorvane.rc.in
    ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc @ONLY)
  target_sources(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc)
  set_property(SOURCE ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc APPEND PROPERTY
    OBJECT_DEPENDS ${LORVANE_RC_MANIFEST} ${LORVANE_ICON})
endfunction()

lorvane_windows_resources(lorvane-cli "Lorvane command-line tool")
if(TARGET lorvane)
  lorvane_windows_resources(lorvane "Lorvane")
endif()

if(NOT TARGET lorvane OR NOT TARGET lorvane-image-writer OR NOT LORVANE_NATIVE_BUILD)
  message(STATUS "No Windows packages: they need the desktop program, the image writer and LORVANE_NATIVE_BUILD")
  return()
endif()

set(LORVANE_DIST_NAME Lorvane-${PROJECT_VERSION}-win64)
set(LORVANE_DIST ${CMAKE_BINARY_DIR}/${LORVANE_DIST_NAME})
set(LORVANE_ZIP ${CMAKE_BINARY_DIR}/${LORVANE_DIST_NAME}.zip)
set(LORVANE_SETUP ${CMAKE_BINARY_DIR}/Lorvane-${PROJECT_VERSION}-setup.exe)
# Qt's licence texts, from the Qt build's prefix.
get_filename_component(LORVANE_QT_PREFIX ${Qt6_DIR}/../../.. ABSOLUTE)
set(LORVANE_QT_LICENSES ${LORVANE_QT_PREFIX}/share/licenses/qtbase)

add_custom_command(OUTPUT ${LORVANE_DIST}/lorvane.exe
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${LORVANE_DIST}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${LORVANE_DIST}/LICENSES
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:lorvane> $<TARGET_FILE:lorvane-cli>
    $<TARGET_FILE:lorvane-image-writer> ${LORVANE_ICON} ${LORVANE_DIST}/
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${LORVANE_NATIVE_BUILD}/sample ${LORVANE_DIST}/sample
  COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/packaging/windows/LICENSES-README.txt
    ${LORVANE_DIST}/LICENSES/README.txt
  COMMAND ${CMAKE_COMMAND} -E copy ${LORVANE_QT_LICENSES}/LGPL-3.0-only.txt
    ${LORVANE_QT_LICENSES}/GPL-3.0-only.txt ${LORVANE_DIST}/LICENSES/
  DEPENDS lorvane lorvane-cli lorvane-image-writer ${LORVANE_NATIVE_BUILD}/sample/Texture.bin
    ${PROJECT_SOURCE_DIR}/packaging/windows/LICENSES-README.txt
  COMMENT "Gathering the programs in ${LORVANE_DIST_NAME}")

add_custom_command(OUTPUT ${LORVANE_ZIP}
  COMMAND ${CMAKE_COMMAND} -E rm -f ${LORVANE_ZIP}
  COMMAND ${CMAKE_COMMAND} -E tar cf ${LORVANE_ZIP} --format=zip ${LORVANE_DIST_NAME}
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
  DEPENDS ${LORVANE_DIST}/lorvane.exe
  COMMENT "Zipping ${LORVANE_DIST_NAME}.zip")
set(LORVANE_PACKAGES ${LORVANE_ZIP})

find_program(LORVANE_MAKENSIS makensis)
if(LORVANE_MAKENSIS)
  add_custom_command(OUTPUT ${LORVANE_SETUP}
    COMMAND ${LORVANE_MAKENSIS} -V2 -DVERSION=${PROJECT_VERSION} -DDIST=${LORVANE_DIST}
      -DOUTFILE=${LORVANE_SETUP} ${PROJECT_SOURCE_DIR}/packaging/windows/lorvane.nsi
    DEPENDS ${LORVANE_DIST}/lorvane.exe ${PROJECT_SOURCE_DIR}/packaging/windows/lorvane.nsi
    COMMENT "Making Lorvane-${PROJECT_VERSION}-setup.exe")
  list(APPEND LORVANE_PACKAGES ${LORVANE_SETUP})
else()
  message(STATUS "No makensis (package nsis): no setup program")
endif()
add_custom_target(windows-packages ALL DEPENDS ${LORVANE_PACKAGES})
