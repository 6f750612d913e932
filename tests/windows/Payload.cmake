# The payload writers and the installation engine on a full disk (a tiny tmpfs mounted as a Wine drive; needs root).
add_test(NAME payload_full_disk
         COMMAND ${CMAKE_SOURCE_DIR}/tests/windows/full-disk.sh ${CMAKE_BINARY_DIR}/wine $<TARGET_FILE:kvtests_win>
                 PayloadWriter.FullDiskIsStreamWriteError:InstallEngine.FullDiskEndsWithStreamWriteError)
set_tests_properties(payload_full_disk PROPERTIES FIXTURES_REQUIRED wine RUN_SERIAL TRUE)
