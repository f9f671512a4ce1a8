# The phone table: data/phones/greek.phn.src is compiled by tm_phonetable
# into phones/greek.phn (Phones.Filename=phones/greek.phn).
tm_data_files(TARGET tm_data_phones FOLDER phones SOURCES ${CMAKE_CURRENT_LIST_DIR}/greek.phn.src
  WHAT "Compiling the phone table" COMMAND tm_phonetable compile @IN@ @OUT@)
