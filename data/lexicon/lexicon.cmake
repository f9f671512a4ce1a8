# Tree lexicons: every data/lexicon/*.lex.src (UTF-8, one entry a line: the
# word, a tab, the value) is written by tm_scramble as scrambled records of
# 120 bytes into the build tree's data folder as <name>.lex and installed to
# the installation's lexicon/ folder (Lexicon.Directory=lexicon,
# Lexicon.Suffix=.lex, Lexicon.EForm=yes).
file(GLOB TM_LEXICON_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*.lex.src)
set(TM_LEXICON_FILES)
foreach(source ${TM_LEXICON_SOURCES})
  get_filename_component(name ${source} NAME_WLE)
  set(output ${TM_DATA_BUILD_DIR}/lexicon/${name})
  add_custom_command(
    OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${TM_DATA_BUILD_DIR}/lexicon
    COMMAND tm_scramble write ${source} ${output} 120
    DEPENDS tm_scramble ${source}
    COMMENT "Writing the tree lexicon ${name}"
    VERBATIM)
  list(APPEND TM_LEXICON_FILES ${output})
endforeach()
add_custom_target(tm_data_lexicon ALL DEPENDS ${TM_LEXICON_FILES})
install(FILES ${TM_LEXICON_FILES} DESTINATION lexicon)
