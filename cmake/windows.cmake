# Cross build for Windows: the program, its test host, the stand-ins, Windows tests, benchmarks.
set(win_warnings -Wall -Wextra)
set(win_link -static -static-libgcc -static-libstdc++)
target_compile_options(quorvel_core PRIVATE ${win_warnings})

# The public key that update information files must be signed with. Test builds use the test
# key kept in the repository (its private half signs the tests' own files); a release build
# names the maker's public key: -DQUORVEL_UPDATE_KEY=<maker's P-256 public key, PEM>
# -DQUORVEL_RELEASE=ON (a release with the test key is refused).
set(quorvel_test_key ${CMAKE_SOURCE_DIR}/tests/fixtures/update/test_signing_key.pem)
set(QUORVEL_UPDATE_KEY ${quorvel_test_key} CACHE FILEPATH
  "PEM file of the P-256 key whose signature an update must carry")
option(QUORVEL_RELEASE "A build for the maker's users: the update key must not be the test key" OFF)
if(QUORVEL_RELEASE AND QUORVEL_UPDATE_KEY STREQUAL quorvel_test_key)
  message(FATAL_ERROR "A release build needs the maker's key: -DQUORVEL_UPDATE_KEY=<public key PEM>")
endif()
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(generated_dir ${CMAKE_BINARY_DIR}/generated)
file(MAKE_DIRECTORY ${generated_dir}/update)
execute_process(COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/cmake/update_key.py
  ${QUORVEL_UPDATE_KEY} ${generated_dir}/update/update_key.h RESULT_VARIABLE key_result)
execute_process(COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/cmake/update_key.py
  ${quorvel_test_key} ${generated_dir}/update/test_signing_key.h --private
  RESULT_VARIABLE test_key_result)
if(NOT key_result EQUAL 0 OR NOT test_key_result EQUAL 0)
  message(FATAL_ERROR "The update key could not be read")
endif()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${QUORVEL_UPDATE_KEY}
  ${quorvel_test_key} ${CMAKE_SOURCE_DIR}/cmake/update_key.py)

add_library(quorvel_win STATIC ${win_src})
target_include_directories(quorvel_win PUBLIC ${CMAKE_SOURCE_DIR}/src ${generated_dir})
target_compile_options(quorvel_win PRIVATE ${win_warnings})
target_link_libraries(quorvel_win PUBLIC quorvel_core
  comctl32 comdlg32 shell32 shlwapi ole32 oleaut32 uuid advapi32 version wininet gdi32 user32 msimg32
  uxtheme crypt32)
target_link_options(quorvel_win PUBLIC ${win_link})

# The installation helper, a program of its own, carried inside the program as the resource
# "ZRVUPD" (res/quorvel.rc).
set(helper_dir ${CMAKE_BINARY_DIR}/helper)
# It shares the signature and hash checks with the program (CNG, loaded from the system
# folder at run time, so the helper imports no library outside Windows' known-DLL list).
file(GLOB helper_src CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/helper/*.cpp)
add_executable(zrvupd_helper WIN32 ${helper_src} ${CMAKE_SOURCE_DIR}/src/update/update_crypto_win.cpp
  ${CMAKE_SOURCE_DIR}/res/helper.rc)
target_include_directories(zrvupd_helper PRIVATE ${CMAKE_SOURCE_DIR}/src ${generated_dir})
set_target_properties(zrvupd_helper PROPERTIES OUTPUT_NAME ZrvUpdHelper
  RUNTIME_OUTPUT_DIRECTORY ${helper_dir})
target_compile_options(zrvupd_helper PRIVATE ${win_warnings})
target_link_libraries(zrvupd_helper PRIVATE quorvel_core user32)
target_link_options(zrvupd_helper PRIVATE ${win_link})

# The program's resources: version "2.3.0.0", manifest, pictures, the helper.
set(program_rc ${CMAKE_SOURCE_DIR}/res/quorvel.rc)
file(GLOB res_files CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/res/*)
# The pictures are drawn at build time (Python standard library only) into the build tree,
# where the resource compiler finds them.
set(picture_dir ${CMAKE_BINARY_DIR}/pictures)
set(picture_script ${CMAKE_SOURCE_DIR}/src/ui/make_pictures.py)
add_custom_command(OUTPUT ${picture_dir}/pictures.stamp
  COMMAND ${Python3_EXECUTABLE} ${picture_script} ${picture_dir}
  COMMAND ${CMAKE_COMMAND} -E touch ${picture_dir}/pictures.stamp
  DEPENDS ${picture_script}
  COMMENT "Drawing the program's pictures")
add_custom_target(quorvel_pictures DEPENDS ${picture_dir}/pictures.stamp)
# Every user of the program's resource script waits for the pictures, and so for the helper.
add_dependencies(quorvel_pictures zrvupd_helper)
set_source_files_properties(${program_rc} PROPERTIES
  OBJECT_DEPENDS "${res_files};${picture_dir}/pictures.stamp;${helper_dir}/ZrvUpdHelper.exe"
  INCLUDE_DIRECTORIES "${picture_dir};${helper_dir}")

# The shipped program.
add_executable(quorvel WIN32 src/app/main_win.cpp ${program_rc})
target_link_libraries(quorvel PRIVATE quorvel_win)
add_dependencies(quorvel quorvel_pictures)

# The same program with the test seams (scripted dialogs, display modes, waits) for the
# end-to-end and window tests; never shipped.
file(GLOB testhost_src CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/support/testhost/*_win.cpp)
add_executable(quorvel_testhost WIN32 ${testhost_src} ${program_rc})
target_link_libraries(quorvel_testhost PRIVATE quorvel_test_support)
add_dependencies(quorvel_testhost quorvel_pictures)

# Shared test support for Windows tests.
file(GLOB test_support_src CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/support/*_win.cpp)
add_library(quorvel_test_support STATIC ${test_support_src})
target_include_directories(quorvel_test_support PUBLIC ${CMAKE_SOURCE_DIR}/tests ${CMAKE_SOURCE_DIR}/src)
target_link_libraries(quorvel_test_support PUBLIC quorvel_win gmock bcrypt)

# Stand-ins for Steam, the game and the diagnostics tool: test tools, never shipped.
file(GLOB standin_dirs LIST_DIRECTORIES true ${CMAKE_SOURCE_DIR}/tools/standins/*)
set(standin_targets)
foreach(dir ${standin_dirs})
  if(IS_DIRECTORY ${dir})
    get_filename_component(name ${dir} NAME)
    file(GLOB standin_src CONFIGURE_DEPENDS ${dir}/*.cpp)
    add_executable(standin_${name} ${standin_src})
    # Windows-subsystem programs, as the originals are: no console, and "ready for input"
    # means their message loop runs.
    set_target_properties(standin_${name} PROPERTIES OUTPUT_NAME ${name}
      RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/standins WIN32_EXECUTABLE TRUE)
    target_include_directories(standin_${name} PRIVATE ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/tools/standins)
    target_link_libraries(standin_${name} PRIVATE quorvel_core advapi32 user32 gdi32)
    target_link_options(standin_${name} PRIVATE ${win_link})
    list(APPEND standin_targets standin_${name})
  endif()
endforeach()

# Test tools: small programs that Windows tests start (tests/tools/<name>/*.cpp, *.rc ->
# <name>.exe beside the test executables); never shipped.
file(GLOB tool_dirs LIST_DIRECTORIES true ${CMAKE_SOURCE_DIR}/tests/tools/*)
set(test_tool_targets)
foreach(dir ${tool_dirs})
  if(IS_DIRECTORY ${dir})
    get_filename_component(name ${dir} NAME)
    file(GLOB tool_src CONFIGURE_DEPENDS ${dir}/*.cpp ${dir}/*.rc)
    add_executable(testtool_${name} ${tool_src})
    set_target_properties(testtool_${name} PROPERTIES OUTPUT_NAME ${name}
      RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
    target_link_libraries(testtool_${name} PRIVATE quorvel_test_support)
    list(APPEND test_tool_targets testtool_${name})
  endif()
endforeach()

# A library that tests plant beside the program under a system library's name (URL.DLL): it
# notes when it is loaded. In a folder of its own, so that nothing else finds it by accident.
add_library(testdll_planted_url SHARED ${CMAKE_SOURCE_DIR}/tests/planted/url_dll_win.cpp)
set_target_properties(testdll_planted_url PROPERTIES OUTPUT_NAME URL PREFIX "" SUFFIX ".DLL"
  RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/planted)
target_include_directories(testdll_planted_url PRIVATE ${CMAKE_SOURCE_DIR}/src)
target_link_options(testdll_planted_url PRIVATE ${win_link})
list(APPEND test_tool_targets testdll_planted_url)

# Windows tests: one executable per test folder, one CTest test (one Wine start) each.
file(GLOB test_dirs LIST_DIRECTORIES true ${CMAKE_SOURCE_DIR}/tests/*)
foreach(dir ${test_dirs})
  file(GLOB wintest_src CONFIGURE_DEPENDS ${dir}/*_wintest.cpp)
  if(wintest_src)
    get_filename_component(name ${dir} NAME)
    # The window tests carry the program's resources (pictures, manifest, version).
    if(name STREQUAL "ui" OR name STREQUAL "update")
      add_executable(win_${name}_tests ${wintest_src} ${program_rc})
      add_dependencies(win_${name}_tests quorvel_pictures)
    else()
      add_executable(win_${name}_tests ${wintest_src})
    endif()
    target_compile_definitions(win_${name}_tests PRIVATE
      QUORVEL_FIXTURES="Z:${CMAKE_SOURCE_DIR}/tests/fixtures")
    target_link_libraries(win_${name}_tests PRIVATE quorvel_test_support gtest_main)
    add_dependencies(win_${name}_tests quorvel quorvel_testhost ${standin_targets} ${test_tool_targets})
    if(name STREQUAL "update")
      # The update tests talk to servers of the test run's own (HTTP, HTTPS, tinyproxy).
      # The maker's servers and their proxy join them for the end-to-end update tests.
      add_test(NAME win_${name}_tests COMMAND ${CMAKE_SOURCE_DIR}/scripts/with-update-servers.sh
        ${CMAKE_BINARY_DIR}/servers/${name} ${CMAKE_SOURCE_DIR}/scripts/with-maker-server.sh
        ${CMAKE_BINARY_DIR}/servers/${name}-maker ${CMAKE_SOURCE_DIR}/scripts/wine-run.sh
        $<TARGET_FILE:win_${name}_tests>)
    else()
      add_test(NAME win_${name}_tests COMMAND win_${name}_tests)
    endif()
    set_tests_properties(win_${name}_tests PROPERTIES
      ENVIRONMENT "QUORVEL_WINE_ROOT=${CMAKE_BINARY_DIR}/wine;QUORVEL_BUILD=${CMAKE_BINARY_DIR}"
      TIMEOUT 1500)
  endif()
endforeach()

# Benchmarks: built with the program, run by scripts/perf.sh, never part of the tests.
file(GLOB perf_src CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/perf/*.cpp)
foreach(src ${perf_src})
  get_filename_component(name ${src} NAME_WE)
  add_executable(perf_${name} ${src})
  # Benchmarks may build the same machine the end-to-end tests use.
  target_link_libraries(perf_${name} PRIVATE quorvel_test_support)
  add_dependencies(perf_${name} quorvel_testhost ${standin_targets})
endforeach()

# The installer and the files it ships beside the program.
include(${CMAKE_SOURCE_DIR}/cmake/installer.cmake)
