# Tree lexicons: every data/lexicon/*.lex.src (UTF-8, one entry a line: the
# word, a tab, the value): greek_words (phone strings; "conjunction" marks
# the words a phrase breaks before), greek_grammar and greek_endings (the
# grammar tags of spelled words and of endings; no tag may hold the text
# "conjunction", which the phrase layer looks for in a word's features).
# Each is written by tm_scramble as scrambled records of 120 bytes into the
# installation's lexicon/ folder as <name>.lex
# (Lexicon.Directory=lexicon, Lexicon.Suffix=.lex, Lexicon.EForm=yes).
file(GLOB TM_LEXICON_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*.lex.src)
tm_data_files(TARGET tm_data_lexicon FOLDER lexicon SOURCES ${TM_LEXICON_SOURCES}
  WHAT "Writing the tree lexicon" COMMAND tm_scramble write @IN@ @OUT@ 120)
