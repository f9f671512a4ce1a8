# The V58 phrase templates: data/v58/greek.v58.src is expanded by tm_v58
# (its labels checked against the phone table's columns) into the build
# tree's data folder as v58/greek.v58 and installed to the installation's
# v58/ folder (V58Compiler.Directory=v58, V58Compiler.Suffix=.v58).
set(TM_V58_SOURCE ${CMAKE_CURRENT_LIST_DIR}/greek.v58.src)
set(TM_V58_PHONES ${CMAKE_CURRENT_LIST_DIR}/../phones/greek.phn.src)
set(TM_V58_FILE ${TM_DATA_BUILD_DIR}/v58/greek.v58)
add_custom_command(
  OUTPUT ${TM_V58_FILE}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${TM_DATA_BUILD_DIR}/v58
  COMMAND tm_v58 compile ${TM_V58_PHONES} ${TM_V58_SOURCE} ${TM_V58_FILE}
  DEPENDS tm_v58 ${TM_V58_SOURCE} ${TM_V58_PHONES}
  COMMENT "Expanding the V58 templates v58/greek.v58"
  VERBATIM)
add_custom_target(tm_data_v58 ALL DEPENDS ${TM_V58_FILE})
install(FILES ${TM_V58_FILE} DESTINATION v58)
