# libFuzzer targets, built with clang next to the g++ build, and a short repeatable run of each.
# A longer run is described in tests/fuzz/README.md.
find_program(KV_CLANGXX NAMES clang++ clang++-14)
if(NOT KV_CLANGXX)
  message(STATUS "clang++ not found: no fuzz targets")
  return()
endif()
set(KV_FUZZ_DIR ${CMAKE_BINARY_DIR}/fuzz)
set(KV_FUZZ_FLAGS -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -I${CMAKE_SOURCE_DIR})
set(KV_FUZZ_READER_SOURCES lib/LIB_DataFileReader.cpp lib/LIB_Data1_ReadWrite.cpp lib/LIB_DataTypes.cpp
    lib/LIB_Random.cpp lib/LIB_Errors.cpp lib/LIB_DataPlatform_Posix.cpp)
foreach(target FuzzUnpackURL FuzzDataFileReader)
  set(sources tests/fuzz/${target}.cpp)
  if(target STREQUAL FuzzDataFileReader)
    list(APPEND sources ${KV_FUZZ_READER_SOURCES})
  endif()
  list(TRANSFORM sources PREPEND ${CMAKE_SOURCE_DIR}/)
  add_custom_command(OUTPUT ${KV_FUZZ_DIR}/${target}
                     COMMAND ${CMAKE_COMMAND} -E make_directory ${KV_FUZZ_DIR}
                     COMMAND ${KV_CLANGXX} ${KV_FUZZ_FLAGS} ${sources} -o ${KV_FUZZ_DIR}/${target}
                     DEPENDS ${sources} ${CMAKE_SOURCE_DIR}/lib/LIB_kvURL.h ${CMAKE_SOURCE_DIR}/lib/LIB_DataFileReader.h
                     COMMENT "Building fuzz target ${target} with clang")
  add_custom_target(${target}_build ALL DEPENDS ${KV_FUZZ_DIR}/${target})
endforeach()
# Fixed seed, committed corpus, bounded runs: the same commit always gives the same result.
add_test(NAME fuzz_unpack_url
         COMMAND ${CMAKE_SOURCE_DIR}/tests/fuzz/run.sh ${KV_FUZZ_DIR}/FuzzUnpackURL 100000 512
                 ${CMAKE_SOURCE_DIR}/tests/fuzz/corpus/unpack_url)
add_test(NAME fuzz_data_file_reader
         COMMAND ${CMAKE_SOURCE_DIR}/tests/fuzz/run.sh ${KV_FUZZ_DIR}/FuzzDataFileReader 5000 300000
                 ${CMAKE_SOURCE_DIR}/tests/fuzz/corpus/data_file_reader)
