# Tests of the data tools (tm_rulec, tm_scramble, tm_phonetable, tm_v58,
# tm_datalint): test_tools. They call the tools' libraries in-process, run
# the real executables, load their output with the engine and check the
# data compiled into the build tree.
if(TARGET tm_rulec_lib AND TARGET tm_v58_lib AND TARGET tm_datalint_lib AND TARGET tm_engine_core)
  tm_add_test_folder(tools LIBS tm_rulec_lib tm_phonetable_lib tm_scramble_lib tm_v58_lib
                     tm_datalint_lib tm_engine_core tm_support)
  set(tm_tools tm_rulec tm_scramble tm_phonetable tm_v58 tm_datalint)
  add_dependencies(test_tools ${tm_tools} tm_data_rules tm_data_phones tm_data_v58)
  target_compile_definitions(test_tools PRIVATE
    TM_DATA_BUILD_DIR="${TM_DATA_BUILD_DIR}"
    TM_RULEC_EXE="$<TARGET_FILE:tm_rulec>" TM_SCRAMBLE_EXE="$<TARGET_FILE:tm_scramble>"
    TM_PHONETABLE_EXE="$<TARGET_FILE:tm_phonetable>" TM_V58_EXE="$<TARGET_FILE:tm_v58>"
    TM_DATALINT_EXE="$<TARGET_FILE:tm_datalint>"
    TM_CMAKE_COMMAND="${CMAKE_COMMAND}")
endif()
