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

# The English tree lexicon lexicon/english.lex (VM_UsEnglish.Lexicon): built
# by tm_englex from the CMU pronouncing dictionary (Debian's
# pocketsphinx-en-us), the words of common use of /usr/share/dict (Debian's
# wamerican; without it every dictionary word is taken), the hand-written
# entries english_hand.txt and the compiled letter-to-sound rules (words
# that the rules read right get no entry). The budget bounds its entries,
# and so the time the shared resources take to load.
set(TM_CMUDICT /usr/share/pocketsphinx/model/en-us/cmudict-en-us.dict CACHE FILEPATH
    "The CMU pronouncing dictionary")
set(TM_ENGLISH_WORDS /usr/share/dict/american-english CACHE FILEPATH
    "The English words of common use, one a line")
set(TM_ENGLISH_LEXICON_BUDGET 60000 CACHE STRING "The most entries of the English lexicon")
set(TM_ENGLISH_LEX ${TM_DATA_BUILD_DIR}/lexicon/english.lex)
set(TM_ENGLISH_SOURCES ${CMAKE_CURRENT_LIST_DIR}/english_hand.txt
    ${TM_DATA_BUILD_DIR}/rules/en_l2s.rul)
foreach(source ${TM_CMUDICT} ${TM_ENGLISH_WORDS})
  if(EXISTS ${source})
    list(APPEND TM_ENGLISH_SOURCES ${source})
  endif()
endforeach()
add_custom_command(
  OUTPUT ${TM_ENGLISH_LEX}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${TM_DATA_BUILD_DIR}/lexicon
  COMMAND tm_englex build ${TM_CMUDICT} ${TM_ENGLISH_WORDS}
          ${CMAKE_CURRENT_LIST_DIR}/english_hand.txt ${TM_DATA_BUILD_DIR}/rules/en_l2s.rul
          ${TM_ENGLISH_LEXICON_BUDGET} ${TM_ENGLISH_LEX}
  DEPENDS tm_englex ${TM_ENGLISH_SOURCES}
  COMMENT "Building the English lexicon lexicon/english.lex"
  VERBATIM)
add_custom_target(tm_data_english_lexicon ALL DEPENDS ${TM_ENGLISH_LEX})
add_dependencies(tm_data_lexicon tm_data_english_lexicon)
install(FILES ${TM_ENGLISH_LEX} DESTINATION lexicon)
