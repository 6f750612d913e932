# The data file tool and the default tables.
add_test(NAME kvdat_tool COMMAND ${CMAKE_SOURCE_DIR}/tests/host/kvdat/tool_test.sh $<TARGET_FILE:kvdat>)
add_test(NAME kvdat_full_disk COMMAND ${CMAKE_SOURCE_DIR}/tests/host/kvdat/full_disk_test.sh $<TARGET_FILE:kvdat>)
set_tests_properties(kvdat_full_disk PROPERTIES SKIP_RETURN_CODE 77)
# Every rule of the default tables holds for the tables as the program makes them.
add_test(NAME dat_tables_rules COMMAND gendattables check)
