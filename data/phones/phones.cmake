# The phone table: data/phones/greek.phn.src is compiled by tm_phonetable
# into phones/greek.phn (Phones.Filename=phones/greek.phn).
tm_data_files(TARGET tm_data_phones FOLDER phones SOURCES ${CMAKE_CURRENT_LIST_DIR}/greek.phn.src
  WHAT "Compiling the phone table" COMMAND tm_phonetable compile @IN@ @OUT@)
# The IPA of every phone symbol (UTF-8, read by hosts such as tm_host), copied
# as it stands into phones/ipa.txt.
tm_data_files(TARGET tm_data_ipa FOLDER phones SUFFIX .txt SOURCES ${CMAKE_CURRENT_LIST_DIR}/ipa.txt
  WHAT "Copying the IPA table" COMMAND ${CMAKE_COMMAND} -E copy @IN@ @OUT@)
