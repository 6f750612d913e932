# End-to-end runs of the real installer under Wine: a test program answers its panels and
# checks the computer afterwards (tests/windows/e2e).
add_executable(kvtests_e2e ${CMAKE_SOURCE_DIR}/tests/windows/e2e/InstallEndToEnd.cpp)
target_link_libraries(kvtests_e2e PRIVATE kvapp gtest)
add_dependencies(kvtests_e2e Install_Korvane)

set(KV_E2E_DRIVES ${CMAKE_SOURCE_DIR}/tests/windows/e2e/drives.sh)
add_test(NAME e2e_drives_setup COMMAND ${KV_E2E_DRIVES} setup ${CMAKE_BINARY_DIR}/wine ${CMAKE_BINARY_DIR}/e2e)
add_test(NAME e2e_drives_cleanup COMMAND ${KV_E2E_DRIVES} cleanup ${CMAKE_BINARY_DIR}/wine ${CMAKE_BINARY_DIR}/e2e)
set_tests_properties(e2e_drives_setup PROPERTIES FIXTURES_SETUP e2e_drives FIXTURES_REQUIRED wine)
set_tests_properties(e2e_drives_cleanup PROPERTIES FIXTURES_CLEANUP e2e_drives)

add_test(NAME e2e_install COMMAND kvtests_e2e $<TARGET_FILE:Install_Korvane> t d w --gtest_filter=-WithoutDesktopShell.*)
set_tests_properties(e2e_install PROPERTIES FIXTURES_REQUIRED "wine;e2e_drives" TIMEOUT 1200)

# The desktop shell closed under the wizard, alone: programs running meanwhile would lose it too,
# and this run's own process cannot see the desktop afterwards.
add_test(NAME e2e_start_without_shell COMMAND kvtests_e2e $<TARGET_FILE:Install_Korvane>
         --gtest_filter=WithoutDesktopShell.*)
set_tests_properties(e2e_start_without_shell PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 300 RUN_SERIAL TRUE)

# The same program on a Japanese system, in a prefix of its own: the tests that need code page 932.
add_test(NAME e2e_japanese COMMAND ${CMAKE_SOURCE_DIR}/tests/windows/e2e/japanese.sh ${CMAKE_BINARY_DIR}/wine-ja
         $<TARGET_FILE:kvtests_e2e> $<TARGET_FILE:Install_Korvane> --gtest_filter=Silent.Japanese*)
set_tests_properties(e2e_japanese PROPERTIES TIMEOUT 600)
