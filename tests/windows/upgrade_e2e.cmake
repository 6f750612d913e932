# End-to-end runs of the real installer's upgrade under Wine (tests/windows/e2e).
add_executable(kvtests_upgrade_e2e ${CMAKE_SOURCE_DIR}/tests/windows/e2e/UpgradeEndToEnd.cpp)
target_link_libraries(kvtests_upgrade_e2e PRIVATE kvapp gtest)
add_dependencies(kvtests_upgrade_e2e Install_Korvane)
add_test(NAME e2e_selfupdate COMMAND kvtests_upgrade_e2e $<TARGET_FILE:Install_Korvane> --gtest_filter=SelfUpdate.*)
set_tests_properties(e2e_selfupdate PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 300)
# The upgrade road through the wizard, on drives of every kind (tests/windows/drive_kinds.cmake).
add_test(NAME e2e_upgrade COMMAND kvtests_upgrade_e2e $<TARGET_FILE:Install_Korvane> --gtest_filter=UpgradeRoad.*)
set_tests_properties(e2e_upgrade PROPERTIES FIXTURES_REQUIRED "wine;drive_kinds" ENVIRONMENT KV_DRIVE_KINDS=1 TIMEOUT 1200)
