# Helpers for the test suite, the fuzz targets and the benchmarks.

# zr_add_test(NAME SOURCES ... LIBS ...)
# A GoogleTest executable whose cases are registered with CTest one by one.
function(zr_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  # Shared test helpers are included from the tests folder.
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} zr_sanitizer_defaults GTest::gtest GTest::gtest_main Threads::Threads)
  gtest_discover_tests(${name}
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    PROPERTIES ENVIRONMENT "${ZR_TEST_ENV}"
    DISCOVERY_TIMEOUT 60)
endfunction()

# zr_add_fuzzer(NAME SOURCES ... LIBS ... [CORPUS dir])
# With ZR_FUZZ a libFuzzer binary; otherwise the same entry point linked with a
# small driver that replays the corpus, so every target is built and smoke-tested.
function(zr_add_fuzzer name)
  cmake_parse_arguments(ARG "" "CORPUS" "SOURCES;LIBS" ${ARGN})
  if(ZR_FUZZ)
    add_executable(${name} ${ARG_SOURCES})
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
  else()
    add_executable(${name} ${ARG_SOURCES} ${PROJECT_SOURCE_DIR}/tests/fuzz_replay.cpp)
    if(ARG_CORPUS)
      add_test(NAME ${name}.replay COMMAND ${name} ${ARG_CORPUS})
    endif()
  endif()
  target_link_libraries(${name} PRIVATE ${ARG_LIBS})
endfunction()

# zr_add_bench(NAME SOURCES ... LIBS ...)
function(zr_add_bench name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} benchmark::benchmark benchmark::benchmark_main)
endfunction()
