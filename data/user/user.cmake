# The Greek user lexicon user/greek.usr (User.Lexicon.Directory=user,
# User.Lexicon.Suffix=.usr; VM_User_ToGreek.Lexicon=greek.usr): built by
# tm_greeklex from the hunspell Greek dictionary (Debian's hunspell-el; when
# it is missing, the lexicon holds the hand-written entries only), the
# hand-written entries greek_hand.txt, the learned stems greek_hiatus.txt
# and the phonemizer's compiled rules (to leave out the words that the
# default stress already reads right). The budget bounds its entries, and
# so the time the shared resources take to load.
set(TM_HUNSPELL_GREEK /usr/share/hunspell/el_GR CACHE PATH "The hunspell Greek dictionary, without .dic/.aff")
set(TM_GREEK_LEXICON_BUDGET 100000 CACHE STRING "The most entries of the Greek user lexicon")
set(TM_USER_DIR ${TM_DATA_BUILD_DIR}/user)
set(TM_GREEK_USR ${TM_USER_DIR}/greek.usr)
set(TM_HUNSPELL_DEPENDS)
if(EXISTS ${TM_HUNSPELL_GREEK}.dic)
  set(TM_HUNSPELL_DEPENDS ${TM_HUNSPELL_GREEK}.dic ${TM_HUNSPELL_GREEK}.aff)
endif()
add_custom_command(
  OUTPUT ${TM_GREEK_USR}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${TM_USER_DIR}
  COMMAND tm_greeklex build ${TM_HUNSPELL_GREEK}.dic ${TM_HUNSPELL_GREEK}.aff
          ${TM_DATA_BUILD_DIR}/rules ${CMAKE_CURRENT_LIST_DIR}/greek_hand.txt
          ${CMAKE_CURRENT_LIST_DIR}/greek_hiatus.txt ${TM_GREEK_LEXICON_BUDGET} ${TM_GREEK_USR}
  DEPENDS tm_greeklex ${CMAKE_CURRENT_LIST_DIR}/greek_hand.txt
          ${CMAKE_CURRENT_LIST_DIR}/greek_hiatus.txt ${TM_DATA_BUILD_DIR}/rules/gr_letters.rul
          ${TM_DATA_BUILD_DIR}/rules/gr_stress.rul ${TM_HUNSPELL_DEPENDS}
  COMMENT "Building the Greek user lexicon user/greek.usr"
  VERBATIM)
add_custom_target(tm_data_user ALL DEPENDS ${TM_GREEK_USR})
install(FILES ${TM_GREEK_USR} DESTINATION user)
