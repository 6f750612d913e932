# The error panel's restart, for real: a helper program presses the button (tests/windows/restart).
add_executable(kvrestart_probe ${CMAKE_SOURCE_DIR}/tests/windows/restart/RestartProbe.cpp resources/Install_Korvane.rc)
target_link_libraries(kvrestart_probe PRIVATE kvapp)
add_dependencies(kvtests_win kvrestart_probe)
