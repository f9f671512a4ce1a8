# Tests of the installation linter (tm_datalint): test_datalint. They build
# installations with the data tools, call the linter in-process and run the
# real executable.
if(TARGET tm_datalint_lib AND TARGET tm_rulec_lib AND TARGET tm_phonetable_lib)
  set(TM_LINT_TESTS ${CMAKE_CURRENT_LIST_DIR}/DataLintTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DataLintChainTest.cpp)
  # The folder's test binary test_tools globs every source of this folder:
  # this one belongs to test_datalint alone.
  if(TARGET test_tools)
    get_target_property(tm_tools_sources test_tools SOURCES)
    list(REMOVE_ITEM tm_tools_sources ${TM_LINT_TESTS})
    set_property(TARGET test_tools PROPERTY SOURCES ${tm_tools_sources})
  endif()
  add_executable(test_datalint ${TM_LINT_TESTS})
  target_link_libraries(test_datalint PRIVATE
    tm_testcommon tm_datalint_lib tm_rulec_lib tm_phonetable_lib tm_scramble_lib tm_engine_core
    GTest::gtest_main)
  target_compile_definitions(test_datalint PRIVATE
    TM_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
    TM_BUILD_DIR="${CMAKE_BINARY_DIR}"
    TM_DATALINT_EXE="$<TARGET_FILE:tm_datalint>"
    TM_CMAKE_COMMAND="${CMAKE_COMMAND}")
  add_dependencies(test_datalint tm_datalint)
  gtest_discover_tests(test_datalint
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 120
    PROPERTIES ENVIRONMENT "${TM_TEST_ENV}" LABELS "tools" TIMEOUT 300)
endif()
