# End-to-end run of the real installer's silent self-update under Wine (tests/windows/e2e).
add_executable(kvtests_upgrade_e2e ${CMAKE_SOURCE_DIR}/tests/windows/e2e/UpgradeEndToEnd.cpp)
target_link_libraries(kvtests_upgrade_e2e PRIVATE kvapp gtest)
add_dependencies(kvtests_upgrade_e2e Install_Korvane)
add_test(NAME e2e_selfupdate COMMAND kvtests_upgrade_e2e $<TARGET_FILE:Install_Korvane>)
set_tests_properties(e2e_selfupdate PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 300)
