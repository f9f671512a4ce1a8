# Tests of the data-file tools (tm_scramble, tm_phonetable): test_datatools.
# They call the tools' libraries in-process, run the real executables, and
# load the phone table compiled into the build tree.
if(TARGET tm_scramble_lib AND TARGET tm_phonetable_lib)
  set(TM_DATATOOLS_TESTS
    ${CMAKE_CURRENT_LIST_DIR}/ScrambleTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PhoneTableTest.cpp)
  # The folder's test binary test_tools globs every source of this folder:
  # these two belong to test_datatools alone.
  if(TARGET test_tools)
    get_target_property(tm_tools_sources test_tools SOURCES)
    list(REMOVE_ITEM tm_tools_sources ${TM_DATATOOLS_TESTS})
    set_property(TARGET test_tools PROPERTY SOURCES ${tm_tools_sources})
  endif()
  add_executable(test_datatools ${TM_DATATOOLS_TESTS})
  target_link_libraries(test_datatools PRIVATE
    tm_testcommon tm_phonetable_lib tm_scramble_lib tm_engine_core GTest::gtest_main)
  target_compile_definitions(test_datatools PRIVATE
    TM_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
    TM_BUILD_DIR="${CMAKE_BINARY_DIR}"
    TM_DATA_BUILD_DIR="${TM_DATA_BUILD_DIR}"
    TM_SCRAMBLE_EXE="$<TARGET_FILE:tm_scramble>"
    TM_PHONETABLE_EXE="$<TARGET_FILE:tm_phonetable>")
  add_dependencies(test_datatools tm_scramble tm_phonetable)
  if(TARGET tm_data_phones)
    add_dependencies(test_datatools tm_data_phones)
  endif()
  gtest_discover_tests(test_datatools
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 120
    PROPERTIES ENVIRONMENT "${TM_TEST_ENV}" LABELS "tools" TIMEOUT 300)
endif()
