# Tests of the V58 template expander tm_v58: test_v58tool. They call the
# tool's library in-process, run the real executable, load its output with
# the engine's template compiler, and check the templates compiled into the
# build tree.
if(TARGET tm_v58_lib AND TARGET tm_engine_core)
  set(TM_V58TOOL_TESTS ${CMAKE_CURRENT_LIST_DIR}/V58ToolTest.cpp)
  # The folder's test binary test_tools globs every source of this folder:
  # this one belongs to test_v58tool alone.
  if(TARGET test_tools)
    get_target_property(tm_tools_sources test_tools SOURCES)
    list(REMOVE_ITEM tm_tools_sources ${TM_V58TOOL_TESTS})
    set_property(TARGET test_tools PROPERTY SOURCES ${tm_tools_sources})
  endif()
  add_executable(test_v58tool ${TM_V58TOOL_TESTS})
  target_link_libraries(test_v58tool PRIVATE
    tm_testcommon tm_v58_lib tm_engine_core GTest::gtest_main)
  target_compile_definitions(test_v58tool PRIVATE
    TM_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
    TM_BUILD_DIR="${CMAKE_BINARY_DIR}"
    TM_DATA_BUILD_DIR="${TM_DATA_BUILD_DIR}"
    TM_V58_EXE="$<TARGET_FILE:tm_v58>")
  add_dependencies(test_v58tool tm_v58)
  if(TARGET tm_data_v58)
    add_dependencies(test_v58tool tm_data_v58)
  endif()
  gtest_discover_tests(test_v58tool
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 120
    PROPERTIES ENVIRONMENT "${TM_TEST_ENV}" LABELS "tools" TIMEOUT 300)
endif()
