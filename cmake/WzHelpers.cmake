# wz_add_gtest(NAME name SOURCES a.cpp ... LIBS lib ... [ENV VAR=value ...] [TIMEOUT s] [OWN_MAIN])
# One GoogleTest program, its cases registered with CTest one by one, run headless.
# OWN_MAIN: the sources bring their own main() (a Qt test that needs a QApplication).
function(wz_add_gtest)
  cmake_parse_arguments(T "OWN_MAIN" "NAME;TIMEOUT" "SOURCES;LIBS;ENV" ${ARGN})
  find_package(GTest REQUIRED)
  include(GoogleTest)
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} wz_testkit GTest::gtest GTest::gmock)
  if(NOT T_OWN_MAIN)
    target_link_libraries(${T_NAME} PRIVATE GTest::gtest_main)
  endif()
  target_compile_definitions(${T_NAME} PRIVATE
    WZ_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    WZ_BINARY_DIR="${PROJECT_BINARY_DIR}"
    WZ_TEST_DATA_DIR="${PROJECT_SOURCE_DIR}/tests/data")
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  gtest_discover_tests(${T_NAME}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES
      TIMEOUT ${T_TIMEOUT}
      ENVIRONMENT "QT_QPA_PLATFORM=offscreen;SDL_AUDIODRIVER=dummy;${T_ENV}")
endfunction()

# wz_add_fuzzer(NAME name SOURCES a.cpp ... [LIBS lib ...] [INCLUDES dir ...] CORPUS dir [MAX_LEN n])
# One libFuzzer target, and a CTest entry that runs it over its committed seed corpus for a
# bounded time. New inputs go to a folder of the build, never into the committed corpus.
function(wz_add_fuzzer)
  cmake_parse_arguments(F "" "NAME;CORPUS;MAX_LEN" "SOURCES;LIBS;INCLUDES" ${ARGN})
  add_executable(${F_NAME} ${F_SOURCES})
  target_include_directories(${F_NAME} PRIVATE ${F_INCLUDES})
  target_link_libraries(${F_NAME} PRIVATE ${F_LIBS})
  target_compile_options(${F_NAME} PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_options(${F_NAME} PRIVATE -fsanitize=fuzzer,address,undefined)
  set(work ${CMAKE_CURRENT_BINARY_DIR}/corpus)
  file(MAKE_DIRECTORY ${work})
  set(options -max_total_time=20 -timeout=10 -rss_limit_mb=2048)
  if(F_MAX_LEN)
    list(APPEND options -max_len=${F_MAX_LEN})
  endif()
  add_test(NAME ${F_NAME} COMMAND ${F_NAME} ${options} ${work} ${F_CORPUS})
  set_tests_properties(${F_NAME} PROPERTIES TIMEOUT 120)
endfunction()
