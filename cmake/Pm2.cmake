# Helper functions shared by every area.

set(PM2_WARNINGS -Wall -Wextra)
# PM2_WERROR (CI turns it on): a warning fails the build.
option(PM2_WERROR "Treat warnings as errors" OFF)
if(PM2_WERROR)
  list(APPEND PM2_WARNINGS -Werror)
endif()

# The linker: gold links our programs in about a third of the default
# one's time (CI links some sixty of them); the sanitized programs take lld
# (gold warns about the sanitizers' runtime, and the default linker takes
# several times as long over their debug lines). Where it is missing, the
# default one.
if(PM2_SANITIZE OR PM2_FUZZ)
  set(pm2_linker lld)
else()
  set(pm2_linker gold)
endif()
include(CheckLinkerFlag)
check_linker_flag(CXX -fuse-ld=${pm2_linker} PM2_HAVE_LINKER_${pm2_linker})
if(PM2_HAVE_LINKER_${pm2_linker})
  add_link_options(-fuse-ld=${pm2_linker})
endif()

if(PM2_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

if(PM2_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# What the sanitized tree leaves out where it checks nothing of ours: the
# fuzzers' coverage marks go only into the Qt-free libraries (the fuzz
# targets link nothing else), and the test programs' own code is checked
# by AddressSanitizer alone and without debug lines (the undefined-behaviour
# checks of the tests' data-row tables would double their compile time; the
# product's code they call keeps every check and its lines). Applied by the
# functions below.
set(PM2_SAN_OFF_QT)
set(PM2_SAN_OFF_TEST)
if(PM2_FUZZ)
  list(APPEND PM2_SAN_OFF_QT fuzzer-no-link)
  list(APPEND PM2_SAN_OFF_TEST fuzzer-no-link)
endif()
if(PM2_SANITIZE OR PM2_FUZZ)
  list(APPEND PM2_SAN_OFF_TEST undefined)
endif()
# pm2_san_off(target kind): turns those checks off for a target of the kind
# ("qt" for a Qt library, "test" for a test program).
function(pm2_san_off target kind)
  if(kind STREQUAL "qt")
    set(checks ${PM2_SAN_OFF_QT})
  else()
    set(checks ${PM2_SAN_OFF_TEST})
  endif()
  if(checks)
    list(JOIN checks "," joined)
    target_compile_options(${target} PRIVATE -fno-sanitize=${joined})
  endif()
  # A report names the test's own functions without their lines.
  if(kind STREQUAL "test" AND (PM2_SANITIZE OR PM2_FUZZ))
    target_compile_options(${target} PRIVATE -g0)
  endif()
endfunction()

# Precompiled headers: one per kind of target (Qt libraries, Qt-free and Qt
# test programs), made once and reused by every target of that
# kind, so that the headers every file of a kind includes (GoogleTest, the
# standard library, Qt's widgets) are parsed once per build instead of once
# per file. (The Qt-free libraries, optimised, gain little from it, and GCC
# then takes the standard headers' code for ours in its bounds warnings.)
# A library or test program declared with the functions below gets
# its kind's header by itself. PM2_PCH=OFF turns them off.
option(PM2_PCH "Precompile the headers shared by the tests and the Qt code" ON)
set(PM2_PCH_STD <algorithm> <atomic> <chrono> <cstdint> <cstdio> <cstdlib> <cstring> <deque>
    <filesystem> <fstream> <functional> <map> <memory> <mutex> <set> <sstream> <string>
    <string_view> <thread> <unordered_map> <utility> <vector>)
set(PM2_PCH_QT <QApplication> <QPainter> <QWidget> <QLineEdit> <QDialog> <QPushButton> <QLabel>
    <QMenu> <QKeyEvent> <QMouseEvent> <QVBoxLayout> <QDir> <QPointer> <QMdiArea> <QTimer>
    <QComboBox> <QImage> <QDialogButtonBox> <QFontMetrics> <QScrollBar> <QCheckBox>)

# pm2_use_pch(target kind): gives the target the precompiled header of its
# kind, made by a small target of that kind's flags on first use. A header is
# reused only by targets compiled with the same flags; the compiler reads the
# headers as text where it can't use it, so a mismatch costs time, not
# correctness.
function(pm2_use_pch target kind)
  if(NOT PM2_PCH)
    return()
  endif()
  set(pch pm2_pch_${kind})
  if(NOT TARGET ${pch})
    set(source ${CMAKE_BINARY_DIR}/pch/${kind}.cpp)
    if(NOT EXISTS ${source})
      file(WRITE ${source} "// Only here to carry the precompiled header.\n")
    endif()
    add_library(${pch} STATIC ${source})
    if(kind MATCHES "^test")
      target_compile_options(${pch} PRIVATE ${PM2_WARNINGS} -O0 ${PM2_TEST_GC_PARAMS})
      pm2_san_off(${pch} test)
      target_compile_definitions(${pch} PRIVATE PM2_TEST_INSTALL_ROOT="${PM2_TEST_ROOT}")
      target_link_libraries(${pch} PRIVATE GTest::gtest)
      set(headers <gtest/gtest.h> ${PM2_PCH_STD})
    else()
      target_compile_options(${pch} PRIVATE ${PM2_WARNINGS})
      pm2_san_off(${pch} qt)
      set(headers ${PM2_PCH_STD})
    endif()
    if(kind MATCHES "qt$")
      target_link_libraries(${pch} PRIVATE Qt6::Widgets)
      list(APPEND headers ${PM2_PCH_QT})
    endif()
    target_precompile_headers(${pch} PRIVATE ${headers})
  endif()
  target_precompile_headers(${target} REUSE_FROM ${pch})
endfunction()

# PM2_UNITY_LIBS: the files of each source folder of a library compiled as
# one, which spares the compiler the headers they share (more than half of
# an optimised build's time). The folders listed stay file by file: their
# files declare the same names in their anonymous namespaces. (GCC takes a
# type of a file's anonymous namespace for one of an included header's,
# and says so; in a unified file that means nothing.)
option(PM2_UNITY_LIBS "Compile the files of each library folder as one" OFF)
set(PM2_UNITY_LIBS_SOLO_FOLDERS browser/ui builder/commands debugger/dialogs debugger/gdb/mi debugger/gdb/process debugger/gdb/elf debugger/gdb/breakpoints debugger/gdb/trace debugger/gdb/arm debugger/gdb/commands debugger/gdb/records debugger/gdb/target
    debugger/ui
    editor/document editor/ide editor/options options/pages project/edit shell/app shell/tools toolkit/toolbars)
set(PM2_UNITY_NO_WARN)
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  set(PM2_UNITY_NO_WARN -Wno-subobject-linkage)
endif()
# GCC collects its garbage less often in the test programs: their large
# files compile some 13% faster for some 15% more memory (the objects are
# the same).
set(PM2_TEST_GC_PARAMS)
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  set(PM2_TEST_GC_PARAMS --param=ggc-min-expand=100 --param=ggc-min-heapsize=1048576)
endif()

# Gives every source of the libraries declared so far the unity group of its
# folder (run once every folder has added its sources).
function(pm2_unity_groups)
  get_property(libs GLOBAL PROPERTY PM2_UNITY_LIBRARIES)
  foreach(lib IN LISTS libs)
    get_target_property(sources ${lib} SOURCES)
    get_target_property(dir ${lib} SOURCE_DIR)
    foreach(source IN LISTS sources)
      cmake_path(ABSOLUTE_PATH source BASE_DIRECTORY ${dir} OUTPUT_VARIABLE path)
      cmake_path(GET path PARENT_PATH folder)
      cmake_path(RELATIVE_PATH folder BASE_DIRECTORY ${CMAKE_SOURCE_DIR}/src)
      if(NOT folder IN_LIST PM2_UNITY_LIBS_SOLO_FOLDERS)
        string(REPLACE "/" "_" group "${folder}")
        set_source_files_properties(${path} TARGET_DIRECTORY ${lib} PROPERTIES UNITY_GROUP ${group})
      endif()
    endforeach()
  endforeach()
endfunction()
if(PM2_UNITY_LIBS)
  cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL pm2_unity_groups)
endif()

# pm2_library(name QT? SOURCES ... LIBS ...): a static library of our code.
# Without QT the library must not see Qt; with QT it is skipped when the
# build has no Qt. A library that gathers several folders is declared in the
# area's CMakeLists.txt, and each folder adds its own sources by name with
# target_sources().
function(pm2_library name)
  cmake_parse_arguments(A "QT" "" "SOURCES;LIBS" ${ARGN})
  if(A_QT AND NOT PM2_WITH_QT)
    return()
  endif()
  add_library(${name} STATIC ${A_SOURCES})
  if(PM2_UNITY_LIBS)
    set_target_properties(${name} PROPERTIES UNITY_BUILD ON UNITY_BUILD_MODE GROUP)
    target_compile_options(${name} PRIVATE ${PM2_UNITY_NO_WARN})
    set_property(GLOBAL APPEND PROPERTY PM2_UNITY_LIBRARIES ${name})
  endif()
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR}/src)
  target_compile_options(${name} PRIVATE ${PM2_WARNINGS})
  if(A_LIBS)
    target_link_libraries(${name} PUBLIC ${A_LIBS})
  endif()
  if(A_QT)
    set_target_properties(${name} PROPERTIES AUTOMOC ON)
    target_link_libraries(${name} PUBLIC Qt6::Widgets)
    pm2_san_off(${name} qt)
    pm2_use_pch(${name} lib_qt)
  endif()
endfunction()

# PM2_UNITY_TESTS (CI turns it on): each test program compiled as one file,
# which spares the compiler the shared headers and GoogleTest's code once per
# file. So the files of one program name the helpers and row types of their
# anonymous namespaces apart.
option(PM2_UNITY_TESTS "Compile each test program as one file" OFF)

# PM2_TEST_WHOLE_PROGRAMS (CI's two trees): each test program runs as
# a few CTest tests, each a share of its cases in one process (GoogleTest's
# shards), instead of a process per case: a program's start-up (the
# sanitizers', Qt's), paid once per process, is then paid a few hundred
# times instead of some four thousand. `./pm2.sh test` still runs every case
# alone. A case that skips
# fails its share (CI fails on any skip): the share's output names it and
# says why. A program declared ALONE keeps a process per case in that tree
# too: its cases each start a whole session of the program, which the
# program runs once per process.
option(PM2_TEST_WHOLE_PROGRAMS "Run each test program's cases in a few processes" OFF)
set(PM2_TEST_SHARDS 4)

# pm2_test(name QT? ALONE? SOURCES ... LIBS ... DEPENDS ...): a GoogleTest program,
# named <area>_<concept>_test after the folder it tests. Each case is its own
# CTest test "<program>.<Suite>.<Case>", so `ctest -R` picks one case and a
# failure names it. QT tests run on the offscreen platform; DEPENDS names
# programs the tests start (stand-in tools, the spawn helper, pelmora2).
function(pm2_test name)
  cmake_parse_arguments(A "QT;ALONE" "" "SOURCES;LIBS;DEPENDS" ${ARGN})
  if(A_QT AND NOT PM2_WITH_QT)
    return()
  endif()
  add_executable(${name} ${A_SOURCES})
  set_target_properties(${name} PROPERTIES PM2_TEST_PROGRAM ON)
  if(PM2_UNITY_TESTS)
    set_target_properties(${name} PROPERTIES UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE 0)
    target_compile_options(${name} PRIVATE ${PM2_UNITY_NO_WARN})
  endif()
  # Test programs are built without optimisation: their large tables of
  # data rows cost the optimiser most of the build's time and gain nothing.
  target_compile_options(${name} PRIVATE ${PM2_WARNINGS} -O0 ${PM2_TEST_GC_PARAMS})
  pm2_san_off(${name} test)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/tests)
  target_compile_definitions(${name} PRIVATE PM2_TEST_INSTALL_ROOT="${PM2_TEST_ROOT}")
  target_link_libraries(${name} PRIVATE ${A_LIBS} GTest::gtest pm2_test_main pthread)
  if(A_QT)
    set_target_properties(${name} PROPERTIES AUTOMOC ON)
    target_link_libraries(${name} PRIVATE Qt6::Widgets)
    pm2_use_pch(${name} test_qt)
  else()
    pm2_use_pch(${name} test)
  endif()
  if(A_DEPENDS)
    add_dependencies(${name} ${A_DEPENDS})
  endif()
  set(env "${PM2_TEST_ENV};PM2_TEST_SRC=${CMAKE_SOURCE_DIR};PM2_TEST_BIN=${CMAKE_BINARY_DIR}")
  # Under the sanitizers the Qt-free programs are checked for leaks as well
  # (the test command turns leak checks off for everything else: Qt keeps
  # allocations of its own until the process ends).
  set(leaks "")
  if(PM2_SANITIZE AND NOT A_QT)
    set(leaks " ENVIRONMENT_MODIFICATION \"ASAN_OPTIONS=string_append::detect_leaks=1\"")
  endif()
  if(PM2_TEST_WHOLE_PROGRAMS AND NOT A_ALONE)
    math(EXPR last "${PM2_TEST_SHARDS} - 1")
    foreach(shard RANGE ${last})
      set(test "${name}.share${shard}")
      add_test(NAME ${test} COMMAND ${name})
      set_tests_properties(${test} PROPERTIES
        ENVIRONMENT "${env};GTEST_TOTAL_SHARDS=${PM2_TEST_SHARDS};GTEST_SHARD_INDEX=${shard}"
        TIMEOUT 900 FAIL_REGULAR_EXPRESSION "\\[  SKIPPED \\] [0-9]+ test" FIXTURES_REQUIRED pm2_leftovers)
      if(leaks)
        set_tests_properties(${test} PROPERTIES ENVIRONMENT_MODIFICATION "ASAN_OPTIONS=string_append::detect_leaks=1")
      endif()
    endforeach()
    return()
  endif()
  gtest_discover_tests(${name}
    TEST_PREFIX "${name}."
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 30
    NO_PRETTY_VALUES
    TEST_LIST ${name}_TESTS)
  # The cases' environment is set by a script that ctest reads after the
  # discovered list: a list-valued property does not survive being passed
  # through the discovery.
  set(script ${CMAKE_CURRENT_BINARY_DIR}/${name}_properties.cmake)
  file(WRITE ${script}
    "foreach(case IN LISTS ${name}_TESTS)\n"
    "  set_tests_properties(\"\${case}\" PROPERTIES ENVIRONMENT \"${env}\" TIMEOUT 400"
    " FIXTURES_REQUIRED pm2_leftovers${leaks})\n"
    "endforeach()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${script})
endfunction()

# pm2_gallery_test(NAME name COMMAND program args...): a gallery program's
# run as a test. The gallery keeps its temporary files, Qt's runtime folder
# and its event-interface objects in folders and names of its run alone
# (a TestProcessScope in its main); the test runs it in an empty temporary
# folder of its own and fails when anything is left there
# (tests/run_leaving_nothing.sh).
# The galleries are pictures for a developer to look at: the optimised tree
# draws them; the sanitized tree neither builds nor runs them (the widget
# tests and the walk of every command drive the same windows under the
# sanitizers, and CI's two-core budget has no room for both).
function(pm2_gallery_test)
  cmake_parse_arguments(A "" "NAME;TIMEOUT" "COMMAND" ${ARGN})
  list(POP_FRONT A_COMMAND program)
  if(PM2_SANITIZE)
    set_target_properties(${program} PROPERTIES EXCLUDE_FROM_ALL ON)
    return()
  endif()
  if(NOT A_TIMEOUT)
    set(A_TIMEOUT 120)
  endif()
  target_link_libraries(${program} PRIVATE pm2_test_leftovers)
  add_test(NAME ${A_NAME}
           COMMAND ${CMAKE_SOURCE_DIR}/tests/run_leaving_nothing.sh $<TARGET_FILE:${program}> ${A_COMMAND})
  set_tests_properties(${A_NAME} PROPERTIES ENVIRONMENT "${PM2_TEST_ENV}" TIMEOUT ${A_TIMEOUT})
endfunction()

# The other programs under tests/ (the picture galleries, stand-in peers
# and clients) are compiled as the test programs are: without optimisation,
# which halves their compile time, and in the sanitized tree with the test
# programs' checks (the product code they call keeps all of its own).
function(pm2_test_helpers_like_tests dir)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  foreach(target IN LISTS targets)
    get_target_property(type ${target} TYPE)
    get_target_property(test ${target} PM2_TEST_PROGRAM)
    if(type STREQUAL "EXECUTABLE" AND NOT test)
      target_compile_options(${target} PRIVATE -O0)
      pm2_san_off(${target} test)
    endif()
  endforeach()
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(subdir IN LISTS subdirs)
    pm2_test_helpers_like_tests(${subdir})
  endforeach()
endfunction()
if(PM2_TESTS)
  cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL pm2_test_helpers_like_tests ${CMAKE_SOURCE_DIR}/tests)
endif()

# pm2_bench(name SOURCES ... LIBS ...): a Google Benchmark program in bench/.
function(pm2_bench name)
  cmake_parse_arguments(A "QT" "" "SOURCES;LIBS" ${ARGN})
  if(NOT PM2_BENCH OR (A_QT AND NOT PM2_WITH_QT))
    return()
  endif()
  add_executable(${name} ${A_SOURCES})
  # The project's warnings, as every other target has them.
  target_compile_options(${name} PRIVATE ${PM2_WARNINGS})
  # A tree whose benchmarks are never run (CI's) compiles them at half the
  # cost; their figures mean nothing there.
  if(PM2_BENCH_UNOPTIMISED)
    target_compile_options(${name} PRIVATE -O0)
  endif()
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/src)
  target_link_libraries(${name} PRIVATE ${A_LIBS} benchmark::benchmark pthread)
  if(A_QT)
    target_link_libraries(${name} PRIVATE Qt6::Widgets)
  endif()
endfunction()

# pm2_fuzzer(name SOURCES ... LIBS ...): a libFuzzer target (clang only).
function(pm2_fuzzer name)
  cmake_parse_arguments(A "" "" "SOURCES;LIBS" ${ARGN})
  if(NOT PM2_FUZZ)
    return()
  endif()
  add_executable(${name} ${A_SOURCES})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/src)
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_libraries(${name} PRIVATE ${A_LIBS})
  set_property(GLOBAL APPEND PROPERTY PM2_FUZZERS ${name})
endfunction()
