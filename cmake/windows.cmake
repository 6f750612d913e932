# Cross build: the installer, the carried programs and the Windows tests, run under Wine.
set(KV_HOST_BUILD_DIR "${CMAKE_SOURCE_DIR}/build/host" CACHE PATH "Build tree of the host preset (host tools)")
set(KV_WINE ${CMAKE_SOURCE_DIR}/scripts/wine.sh ${CMAKE_BINARY_DIR}/wine)
set(CMAKE_CROSSCOMPILING_EMULATOR ${KV_WINE} run)

# Wide calls only: every unsuffixed Win32 name is its W form; the programs' texts are UTF-8.
add_compile_definitions(_WIN32_WINNT=0x0602 WINVER=0x0602 NOMINMAX STRICT UNICODE _UNICODE)
add_compile_options(-Wall -Wextra)
add_link_options(-static -static-libgcc -static-libstdc++)
# Hardening, in every program: a stack protector (its guard in lib/win/StackGuard.cpp, which
# every program links, not the toolchain's libssp), and an image that Windows places at a random
# high address, with a relocation section so that it can, and whose data never runs.
add_compile_options(-fstack-protector-strong)
add_link_options(-Wl,--dynamicbase,--high-entropy-va,--nxcompat)
# The same bytes from the same source: no folder of this checkout or its build tree in the
# objects, no time stamp in the images (resources carry none).
add_compile_options(-ffile-prefix-map=${CMAKE_SOURCE_DIR}=. -ffile-prefix-map=${CMAKE_BINARY_DIR}=build)
add_link_options(-Wl,--no-insert-timestamp)

set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# The core's platform side on Windows, with the UTF-8/UTF-16 crossing it shares with lib/win,
# and the stack protector's guard, which every program that links the core needs.
set(KV_STACK_GUARD ${CMAKE_SOURCE_DIR}/lib/win/StackGuard.cpp)
set(KV_CORE_WIN_SOURCES ${CMAKE_SOURCE_DIR}/lib/win/LIB_DataPlatform_Win.cpp ${CMAKE_SOURCE_DIR}/lib/win/WinText.cpp
    ${CMAKE_SOURCE_DIR}/lib/win/FileByHandle.cpp ${CMAKE_SOURCE_DIR}/lib/win/StaticGuards.cpp ${KV_STACK_GUARD})
target_sources(kvcore PRIVATE ${KV_CORE_WIN_SOURCES})
target_link_libraries(kvcore PUBLIC ole32 oleaut32)

# The Win32 libraries and wrappers.
file(GLOB KV_WIN_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/lib/win/*.cpp)
list(REMOVE_ITEM KV_WIN_SOURCES ${KV_CORE_WIN_SOURCES})
add_library(kvwin STATIC ${KV_WIN_SOURCES})
target_link_libraries(kvwin PUBLIC kvcore gdi32 user32 shell32 ole32 oleaut32 uuid advapi32)

# The carried programs come first: the payload layer embeds them.
if(EXISTS ${CMAKE_SOURCE_DIR}/programs/CMakeLists.txt)
  add_subdirectory(programs)
endif()

file(GLOB KV_PAYLOAD_WIN_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/payload/win/*.cpp)
# Nothing calls it by name, so from an archive it would never be linked: the programs list it.
set(KV_GZIP_CRC ${CMAKE_SOURCE_DIR}/payload/win/GzipCrc.cpp)
list(REMOVE_ITEM KV_PAYLOAD_WIN_SOURCES ${KV_GZIP_CRC})
target_sources(kvpayload PRIVATE ${KV_PAYLOAD_WIN_SOURCES} ${KV_PAYLOAD_SOURCES})
target_link_libraries(kvpayload PUBLIC kvwin z)

# The installation and upgrade engines: no window, plain values in, events out.
file(GLOB KV_ENGINE_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/engine/*.cpp)
add_library(kvengine STATIC ${KV_ENGINE_SOURCES})
target_link_libraries(kvengine PUBLIC kvpayload)
# The test build's engines let tests shorten the upgrade's waits; the release build has no such door.
option(KV_TEST_SEAMS "Build the installer with the doors that end-to-end tests use" OFF)
if(KV_TEST_SEAMS)
  target_compile_definitions(kvengine PRIVATE KV_TEST_SEAMS)
endif()

# What the panels stand on: the main window, the panel base, the button bar, the engines'
# worker, the run's state and its report.
file(GLOB KV_WIZARD_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/wizard/*.cpp)
add_library(kvwizard STATIC ${KV_WIZARD_SOURCES})
target_link_libraries(kvwizard PUBLIC kvengine)
# Where the error reports go. The compiler packs it: the program holds the packed bytes only.
set(KV_REPORT_URL "https://www.korvane-p2p.example/report.php?" CACHE STRING "Base address of the error report")
set_property(SOURCE ${CMAKE_SOURCE_DIR}/wizard/Appl_Report.cpp APPEND PROPERTY
             COMPILE_DEFINITIONS "KV_REPORT_URL=\"${KV_REPORT_URL}\"")

file(GLOB KV_PANELS_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/panels/*.cpp)
add_library(kvpanels STATIC ${KV_PANELS_SOURCES})
target_link_libraries(kvpanels PUBLIC kvwizard)

# What stands on the panels, but the entry point, so tests can drive the real window in-process.
file(GLOB KV_APP_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/app/*.cpp)
list(REMOVE_ITEM KV_APP_SOURCES ${CMAKE_SOURCE_DIR}/app/Main.cpp)
add_library(kvapp STATIC ${KV_APP_SOURCES})
target_link_libraries(kvapp PUBLIC kvpanels)

# Small code keeps the installer download small. Only where time goes, the data file's byte
# encoding and the inflation of the carried programs, the code stays built for speed. Both presets, so that the tests run the code that ships.
foreach(lib kvcore kvwin kvpayload kvengine kvwizard kvpanels kvapp)
  target_compile_options(${lib} PRIVATE -Os)
endforeach()
set_source_files_properties(lib/LIB_Data1_ReadWrite.cpp payload/GB_Payload.cpp
                            payload/win/PayloadWriter.cpp PROPERTIES COMPILE_OPTIONS -O3)

add_executable(Install_Korvane WIN32 app/Main.cpp ${KV_GZIP_CRC} resources/Install_Korvane.rc)
target_compile_options(Install_Korvane PRIVATE -Os)
target_link_libraries(Install_Korvane PRIVATE kvapp)
target_link_options(Install_Korvane PRIVATE -municode)
# Drops what nothing calls from the static runtime libraries. The map shows what was linked
# (exe_hardening reads it).
target_link_options(Install_Korvane PRIVATE -Wl,--gc-sections -Wl,-Map=$<TARGET_FILE:Install_Korvane>.map)
# The installer checks its own file against a checksum stamped into it after linking; signing
# comes last, and the check leaves the signature out.
add_dependencies(Install_Korvane kv_packer)
set(KV_INSTALLER_FINISH COMMAND ${KV_HOST_BUILD_DIR}/tools/kvseal $<TARGET_FILE:Install_Korvane>)
# Signing: a PFX and its password from the cache or the environment (KV_SIGN_PFX,
# KV_SIGN_PASSWORD, and KV_SIGN_TIMESTAMP_URL for a time stamp). The test build signs with a
# throwaway certificate made at build time, so that every test runs against a signed installer.
option(KV_TEST_SIGNING "Sign with a throwaway certificate made at build time (test build)" OFF)
set(KV_SIGN_PFX "$ENV{KV_SIGN_PFX}" CACHE FILEPATH "Code-signing certificate and key (PFX)")
set(KV_SIGN_TIMESTAMP_URL "$ENV{KV_SIGN_TIMESTAMP_URL}" CACHE STRING "Time-stamp server for signing, if any")
set(KV_SIGNING_DIR ${CMAKE_BINARY_DIR}/signing)
if(KV_TEST_SIGNING)
  set(KV_SIGN_PFX ${KV_SIGNING_DIR}/signer.pfx)
  set(KV_SIGN_PASSWORD_VALUE test)
  add_custom_command(OUTPUT ${KV_SIGN_PFX} ${KV_SIGNING_DIR}/ca.pem
                     COMMAND ${CMAKE_SOURCE_DIR}/scripts/make-test-cert.sh ${KV_SIGNING_DIR} ${KV_SIGN_PASSWORD_VALUE}
                     DEPENDS ${CMAKE_SOURCE_DIR}/scripts/make-test-cert.sh
                     COMMENT "Making the test build's throwaway code-signing certificate" VERBATIM)
  add_custom_target(kv_test_certificate DEPENDS ${KV_SIGN_PFX})
  add_dependencies(Install_Korvane kv_test_certificate)
else()
  set(KV_SIGN_PASSWORD "$ENV{KV_SIGN_PASSWORD}" CACHE STRING "Password of KV_SIGN_PFX")
  set(KV_SIGN_PASSWORD_VALUE ${KV_SIGN_PASSWORD})
endif()
if(KV_SIGN_PFX)
  list(APPEND KV_INSTALLER_FINISH COMMAND ${CMAKE_COMMAND} -E env KV_SIGN_PASSWORD=${KV_SIGN_PASSWORD_VALUE}
       ${CMAKE_SOURCE_DIR}/scripts/sign.sh $<TARGET_FILE:Install_Korvane> ${KV_SIGN_PFX} ${KV_SIGN_TIMESTAMP_URL})
else()
  list(APPEND KV_INSTALLER_FINISH COMMAND ${CMAKE_COMMAND} -E echo
       "Install_Korvane.exe is not signed: no code-signing certificate given (KV_SIGN_PFX)")
endif()
add_custom_command(TARGET Install_Korvane POST_BUILD ${KV_INSTALLER_FINISH}
                   COMMENT "Stamping Install_Korvane with the checksum of its file" VERBATIM)
file(GLOB KV_PICTURES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/*.bmp)
set_property(SOURCE resources/Install_Korvane.rc APPEND PROPERTY OBJECT_DEPENDS
             ${CMAKE_BINARY_DIR}/generated/Install_Korvane.manifest ${CMAKE_SOURCE_DIR}/resources/Korvane.ico
             ${KV_PICTURES})

# Wine runs in a private prefix inside this build tree, under an Xvfb of its own;
# the fixture starts both once so every test process starts fast.
add_test(NAME wine_start COMMAND ${KV_WINE} start)
add_test(NAME wine_stop COMMAND ${KV_WINE} stop)
set_tests_properties(wine_start PROPERTIES FIXTURES_SETUP wine)
set_tests_properties(wine_stop PROPERTIES FIXTURES_CLEANUP wine)

add_test(NAME layers COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-layers.sh)
# The test build's installer, stripped as the release build strips it: the release build is not
# part of the test run, and the two differ only in the report address and the test door.
add_test(NAME exe_size COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-exe-size.sh $<TARGET_FILE:Install_Korvane>)
if(KV_TEST_SIGNING)
  add_test(NAME exe_signature COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-signature.sh ${KV_SIGNING_DIR}/ca.pem
                                      $<TARGET_FILE:Install_Korvane>)
endif()
add_test(NAME exe_imports COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-imports.sh $<TARGET_FILE:Install_Korvane>
         $<TARGET_FILE:Korvane> $<TARGET_FILE:Uninstall> $<TARGET_FILE:Korvane_toolbar>)
add_test(NAME exe_hardening COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-hardening.sh $<TARGET_FILE:Install_Korvane>
         $<TARGET_FILE:Korvane> $<TARGET_FILE:Uninstall> $<TARGET_FILE:Korvane_toolbar>)

file(GLOB KV_WIN_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/windows/*.cpp)
if(KV_WIN_TESTS)
  add_executable(kvtests_win ${KV_WIN_TESTS} ${KV_GZIP_CRC} resources/Install_Korvane.rc)
  # oleacc: the tests look at the windows as a screen reader does; shlwapi: at icon locations as
  # the shell reads them.
  target_link_libraries(kvtests_win PRIVATE kvapp gtest ws2_32 comctl32 oleacc shlwapi)
  # Some tests read the built installer itself.
  add_dependencies(kvtests_win Install_Korvane)
  add_test(NAME windows_app COMMAND kvtests_win)
  set_tests_properties(windows_app PROPERTIES FIXTURES_REQUIRED wine)
endif()

# Script-driven tests (end to end runs of the real exe) declare themselves in tests/windows/*.cmake.
file(GLOB KV_WIN_SCRIPT_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/windows/*.cmake)
foreach(f ${KV_WIN_SCRIPT_TESTS})
  include(${f})
endforeach()
# The Windows tests share one Wine prefix, and with it one machine's registry, folders and
# desktop: under ctest -j they take turns.
get_property(KV_ALL_TESTS DIRECTORY PROPERTY TESTS)
foreach(t ${KV_ALL_TESTS})
  get_test_property(${t} FIXTURES_REQUIRED fixtures)
  if("wine" IN_LIST fixtures)
    set_tests_properties(${t} PROPERTIES RESOURCE_LOCK wine_prefix)
  endif()
endforeach()

# Every bench/windows/NAME.cpp is a benchmark program NAME.exe, run under Wine with scripts/wine.sh.
# The data file benchmark is portable: here it measures the optimised build that ships.
file(GLOB KV_WIN_BENCH CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/bench/windows/*.cpp)
list(APPEND KV_WIN_BENCH ${CMAKE_SOURCE_DIR}/bench/host/DataFileBench.cpp)
foreach(src ${KV_WIN_BENCH})
  get_filename_component(name ${src} NAME_WE)
  add_executable(${name} ${src})
  target_link_libraries(${name} PRIVATE kvapp)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
endforeach()

# The host preset's tests belong to the same run.
add_test(NAME host COMMAND ${CMAKE_CTEST_COMMAND} --test-dir ${KV_HOST_BUILD_DIR} --output-on-failure)
