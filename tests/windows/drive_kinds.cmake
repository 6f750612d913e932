# Drives of every kind in the Wine prefix, and Z: a network drive (tests/windows/drive-kinds.sh).
# Both steps restart the wineserver, so they run alone.
set(KV_DRIVE_KINDS_SH ${CMAKE_SOURCE_DIR}/tests/windows/drive-kinds.sh)
add_test(NAME drive_kinds_setup COMMAND ${KV_DRIVE_KINDS_SH} setup ${CMAKE_BINARY_DIR}/wine ${CMAKE_BINARY_DIR}/drive-kinds)
add_test(NAME drive_kinds_cleanup COMMAND ${KV_DRIVE_KINDS_SH} cleanup ${CMAKE_BINARY_DIR}/wine ${CMAKE_BINARY_DIR}/drive-kinds)
set_tests_properties(drive_kinds_setup PROPERTIES FIXTURES_SETUP drive_kinds FIXTURES_REQUIRED wine RUN_SERIAL TRUE)
set_tests_properties(drive_kinds_cleanup PROPERTIES FIXTURES_CLEANUP drive_kinds FIXTURES_REQUIRED wine RUN_SERIAL TRUE)

# The folder tree's and the search's cases on real drives of every kind (tests/windows/DriveKinds.h).
set_property(TEST windows_app APPEND PROPERTY FIXTURES_REQUIRED drive_kinds)
set_property(TEST windows_app APPEND PROPERTY ENVIRONMENT KV_DRIVE_KINDS=1)
