# The Windows build's tests run under Wine in a prefix inside the build
# folder. The first test makes the prefix, the last stops its server.
set(wine_run ${PROJECT_SOURCE_DIR}/tools/wine_run.sh ${CMAKE_BINARY_DIR}/wine-prefix)
add_test(NAME wine_prefix_setup COMMAND ${wine_run} wineboot.exe --init)
set_tests_properties(wine_prefix_setup PROPERTIES FIXTURES_SETUP wine_prefix TIMEOUT 300)
add_test(NAME wine_prefix_cleanup COMMAND ${wine_run} --stop)
set_tests_properties(wine_prefix_cleanup PROPERTIES FIXTURES_CLEANUP wine_prefix)

# lorvane-cli.exe against the native lorvane-cli: the same commands on the
# native build's sample theater give the same files and the same text.
set(LORVANE_NATIVE_BUILD "" CACHE PATH "The native build folder (its lorvane-cli and sample/)")
if(LORVANE_NATIVE_BUILD)
  add_test(NAME cli_matches_native COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/cli_matches_native_test.sh)
  set_tests_properties(cli_matches_native PROPERTIES
    FIXTURES_REQUIRED wine_prefix
    TIMEOUT 600
    ENVIRONMENT "LORVANE_CLI=$<TARGET_FILE:lorvane-cli>;LORVANE_NATIVE_CLI=${LORVANE_NATIVE_BUILD}/lorvane-cli;LORVANE_NATIVE_SAMPLE=${LORVANE_NATIVE_BUILD}/sample;LORVANE_WINE_PREFIX=${CMAKE_BINARY_DIR}/wine-prefix;LORVANE_WINE_RUN=${PROJECT_SOURCE_DIR}/tools/wine_run.sh")
else()
  message(STATUS "No LORVANE_NATIVE_BUILD: lorvane-cli.exe is not compared with the native build")
endif()

# The desktop program installed by its setup program under Wine, driven
# with real input on a virtual display, against the native program.
if(LORVANE_NATIVE_BUILD AND TARGET windows-packages AND LORVANE_MAKENSIS)
  add_test(NAME desktop_e2e COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/desktop_e2e_test.sh)
  # Alone: under Wine its windows take long to come when other tests share
  # the two cores, past the minute its steps wait for them.
  set_tests_properties(desktop_e2e PROPERTIES
    RUN_SERIAL TRUE
    TIMEOUT 900
    ENVIRONMENT "LORVANE_SETUP=${LORVANE_SETUP};LORVANE_APP=${LORVANE_NATIVE_BUILD}/lorvane;LORVANE_NATIVE_CLI=${LORVANE_NATIVE_BUILD}/lorvane-cli;LORVANE_NATIVE_SAMPLE=${LORVANE_NATIVE_BUILD}/sample;LORVANE_WINE_HOME=${CMAKE_BINARY_DIR}/wine-desktop")
endif()
