# The V58 phrase templates: every data/v58/*.v58.src is expanded by tm_v58
# (its labels checked against the phone table's columns) into
# v58/<name>.v58 (V58Compiler.Directory=v58, V58Compiler.Suffix=.v58).
file(GLOB TM_V58_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*.v58.src)
set(TM_V58_PHONES ${CMAKE_CURRENT_LIST_DIR}/../phones/greek.phn.src)
tm_data_files(TARGET tm_data_v58 FOLDER v58 SOURCES ${TM_V58_SOURCES}
  DEPENDS ${TM_V58_PHONES}
  WHAT "Expanding the V58 templates" COMMAND tm_v58 compile ${TM_V58_PHONES} @IN@ @OUT@)
