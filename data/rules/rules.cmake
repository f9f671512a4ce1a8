# Letter-conversion rule collections: every data/rules/*.src is compiled by
# tm_rulec into the build tree's data folder as <name>.rul and installed to
# the installation's rules/ folder (AC.Directory=rules, AC.Suffix=.rul).
file(GLOB TM_RULE_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*.src)
set(TM_RULE_FILES)
foreach(source ${TM_RULE_SOURCES})
  get_filename_component(name ${source} NAME_WLE)
  set(output ${TM_DATA_BUILD_DIR}/rules/${name}.rul)
  add_custom_command(
    OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${TM_DATA_BUILD_DIR}/rules
    COMMAND tm_rulec compile ${source} ${output}
    DEPENDS tm_rulec ${source}
    COMMENT "Compiling rule collection ${name}.rul"
    VERBATIM)
  list(APPEND TM_RULE_FILES ${output})
endforeach()
add_custom_target(tm_data_rules ALL DEPENDS ${TM_RULE_FILES})
install(FILES ${TM_RULE_FILES} DESTINATION rules)
