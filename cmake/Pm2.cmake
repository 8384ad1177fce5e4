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

# pm2_add_area(dir): adds dir/CMakeLists.txt when present, else includes the
# fragments dir/*.cmake directly.
function(pm2_add_area dir)
  if(EXISTS ${CMAKE_SOURCE_DIR}/${dir}/CMakeLists.txt)
    add_subdirectory(${dir})
  endif()
endfunction()

# pm2_include_fragments(): include every *.cmake fragment of the current
# source dir in name order (each fragment belongs to one concept).
macro(pm2_include_fragments)
  file(GLOB _pm2_frags CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cmake)
  list(SORT _pm2_frags)
  foreach(_f ${_pm2_frags})
    include(${_f})
  endforeach()
endmacro()

# pm2_library(name QT? SOURCES ... LIBS ...): a static library of our code.
# Without QT the library must not see Qt; with QT it is skipped when the
# build has no Qt.
function(pm2_library name)
  cmake_parse_arguments(A "QT" "" "SOURCES;LIBS" ${ARGN})
  if(A_QT AND NOT PM2_WITH_QT)
    return()
  endif()
  if(TARGET ${name})
    target_sources(${name} PRIVATE ${A_SOURCES})
  else()
    add_library(${name} STATIC ${A_SOURCES})
    target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR}/src)
    target_compile_options(${name} PRIVATE ${PM2_WARNINGS})
  endif()
  if(A_LIBS)
    target_link_libraries(${name} PUBLIC ${A_LIBS})
  endif()
  if(A_QT)
    set_target_properties(${name} PROPERTIES AUTOMOC ON)
    target_link_libraries(${name} PUBLIC Qt6::Widgets)
  endif()
endfunction()

# pm2_test(name QT? SOURCES ... LIBS ...): a GoogleTest program run by CTest.
# QT tests run on the offscreen platform.
function(pm2_test name)
  cmake_parse_arguments(A "QT" "" "SOURCES;LIBS" ${ARGN})
  if(A_QT AND NOT PM2_WITH_QT)
    return()
  endif()
  add_executable(${name} ${A_SOURCES})
  target_compile_options(${name} PRIVATE ${PM2_WARNINGS})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/tests)
  target_link_libraries(${name} PRIVATE ${A_LIBS} GTest::gtest GTest::gtest_main pthread)
  if(A_QT)
    set_target_properties(${name} PROPERTIES AUTOMOC ON)
    target_link_libraries(${name} PRIVATE Qt6::Widgets)
  endif()
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;PM2_TEST_SRC=${CMAKE_SOURCE_DIR};PM2_TEST_BIN=${CMAKE_BINARY_DIR}"
    TIMEOUT 300)
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
