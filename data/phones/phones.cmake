# The phone table: data/phones/greek.phn.src is compiled by tm_phonetable
# into the build tree's data folder as phones/greek.phn and installed to the
# installation's phones/ folder (Phones.Filename=phones/greek.phn).
set(TM_PHONE_SOURCE ${CMAKE_CURRENT_LIST_DIR}/greek.phn.src)
set(TM_PHONE_TABLE ${TM_DATA_BUILD_DIR}/phones/greek.phn)
add_custom_command(
  OUTPUT ${TM_PHONE_TABLE}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${TM_DATA_BUILD_DIR}/phones
  COMMAND tm_phonetable compile ${TM_PHONE_SOURCE} ${TM_PHONE_TABLE}
  DEPENDS tm_phonetable ${TM_PHONE_SOURCE}
  COMMENT "Compiling the phone table phones/greek.phn"
  VERBATIM)
add_custom_target(tm_data_phones ALL DEPENDS ${TM_PHONE_TABLE})
install(FILES ${TM_PHONE_TABLE} DESTINATION phones)
