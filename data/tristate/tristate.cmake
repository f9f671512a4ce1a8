# Tri-state duration rules: every data/tristate/*.3st.src (UTF-8, one rule a
# line: [left][current][right]:value, each group "*" or feature:value of the
# phone table; the factor is the value times 10, the first rule that holds
# wins) is written by tm_scramble as scrambled records of 120 bytes into the
# build tree's data folder as <name>.3st and installed to the installation's
# tristate/ folder (3States.Directory=tristate, 3States.Suffix=.3st).
file(GLOB TM_TRISTATE_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*.3st.src)
set(TM_TRISTATE_FILES)
foreach(source ${TM_TRISTATE_SOURCES})
  get_filename_component(name ${source} NAME_WLE)
  set(output ${TM_DATA_BUILD_DIR}/tristate/${name})
  add_custom_command(
    OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${TM_DATA_BUILD_DIR}/tristate
    COMMAND tm_scramble write ${source} ${output} 120
    DEPENDS tm_scramble ${source}
    COMMENT "Writing the tri-state rules ${name}"
    VERBATIM)
  list(APPEND TM_TRISTATE_FILES ${output})
endforeach()
add_custom_target(tm_data_tristate ALL DEPENDS ${TM_TRISTATE_FILES})
install(FILES ${TM_TRISTATE_FILES} DESTINATION tristate)
