# Letter-conversion rule collections: every data/rules/*.src is compiled by
# tm_rulec into <name>.rul of the installation's rules/ folder
# (AC.Directory=rules, AC.Suffix=.rul).
file(GLOB TM_RULE_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*.src)
tm_data_files(TARGET tm_data_rules FOLDER rules SUFFIX .rul SOURCES ${TM_RULE_SOURCES}
  WHAT "Compiling rule collection" COMMAND tm_rulec compile @IN@ @OUT@)
