# Tests of the build-time data compilers: test_tools. They run the real
# tm_rulec too, and check the rule files compiled into the build tree.
if(TARGET tm_rulec_lib)
  tm_add_test_folder(tools LIBS tm_rulec_lib tm_support)
endif()
if(TARGET test_tools)
  target_compile_definitions(test_tools PRIVATE
    TM_RULEC_EXE="$<TARGET_FILE:tm_rulec>"
    TM_DATA_BUILD_DIR="${TM_DATA_BUILD_DIR}")
  add_dependencies(test_tools tm_rulec tm_data_rules)
endif()
