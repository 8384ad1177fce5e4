# Helper functions shared by every area.

set(PM2_WARNINGS -Wall -Wextra)

if(PM2_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

if(PM2_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
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
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR}/src)
  target_compile_options(${name} PRIVATE ${PM2_WARNINGS})
  if(A_LIBS)
    target_link_libraries(${name} PUBLIC ${A_LIBS})
  endif()
  if(A_QT)
    set_target_properties(${name} PROPERTIES AUTOMOC ON)
    target_link_libraries(${name} PUBLIC Qt6::Widgets)
  endif()
endfunction()

# pm2_test(name QT? SOURCES ... LIBS ... DEPENDS ...): a GoogleTest program,
# named <area>_<concept>_test after the folder it tests. Each case is its own
# CTest test "<program>.<Suite>.<Case>", so `ctest -R` picks one case and a
# failure names it. QT tests run on the offscreen platform; DEPENDS names
# programs the tests start (stand-in tools, the spawn helper, pelmora2).
function(pm2_test name)
  cmake_parse_arguments(A "QT" "" "SOURCES;LIBS;DEPENDS" ${ARGN})
  if(A_QT AND NOT PM2_WITH_QT)
    return()
  endif()
  add_executable(${name} ${A_SOURCES})
  # Test programs are built without optimisation: their large tables of
  # data rows cost the optimiser most of the build's time and gain nothing.
  target_compile_options(${name} PRIVATE ${PM2_WARNINGS} -O0)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/tests)
  target_compile_definitions(${name} PRIVATE PM2_TEST_INSTALL_ROOT="${PM2_INSTALL_ROOT}")
  target_link_libraries(${name} PRIVATE ${A_LIBS} GTest::gtest GTest::gtest_main pthread)
  if(A_QT)
    set_target_properties(${name} PROPERTIES AUTOMOC ON)
    target_link_libraries(${name} PRIVATE Qt6::Widgets)
  endif()
  if(A_DEPENDS)
    add_dependencies(${name} ${A_DEPENDS})
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
  set(env "QT_QPA_PLATFORM=offscreen;PM2_TEST_SRC=${CMAKE_SOURCE_DIR};PM2_TEST_BIN=${CMAKE_BINARY_DIR}")
  set(script ${CMAKE_CURRENT_BINARY_DIR}/${name}_properties.cmake)
  file(WRITE ${script}
    "foreach(case IN LISTS ${name}_TESTS)\n"
    "  set_tests_properties(\"\${case}\" PROPERTIES ENVIRONMENT \"${env}\" TIMEOUT 300)\n"
    "endforeach()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${script})
endfunction()

# pm2_bench(name SOURCES ... LIBS ...): a Google Benchmark program in bench/.
function(pm2_bench name)
  cmake_parse_arguments(A "QT" "" "SOURCES;LIBS" ${ARGN})
  if(NOT PM2_BENCH OR (A_QT AND NOT PM2_WITH_QT))
    return()
  endif()
  add_executable(${name} ${A_SOURCES})
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
