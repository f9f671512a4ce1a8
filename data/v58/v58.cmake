# The V58 phrase templates: data/v58/greek.v58.src is expanded by tm_v58
# (its labels checked against the phone table's columns) into v58/greek.v58
# (V58Compiler.Directory=v58, V58Compiler.Suffix=.v58).
set(TM_V58_PHONES ${CMAKE_CURRENT_LIST_DIR}/../phones/greek.phn.src)
tm_data_files(TARGET tm_data_v58 FOLDER v58 SOURCES ${CMAKE_CURRENT_LIST_DIR}/greek.v58.src
  DEPENDS ${TM_V58_PHONES}
  WHAT "Expanding the V58 templates" COMMAND tm_v58 compile ${TM_V58_PHONES} @IN@ @OUT@)
