# Tri-state duration rules: every data/tristate/*.3st.src (UTF-8, one rule a
# line: [left][current][right]:value, each group "*" or feature:value of the
# phone table; the factor is the value times 10, the first rule that holds
# wins; the phone's neighbours are the characters next to it, since every
# row of the phone table is a tri-state neighbour). greek.3st: breaks make
# pauses by their kind; stressed vowels are longer than unstressed ones,
# vowels before a break or a word's end longer again; the tap is short;
# consonants in clusters are shorter. Each file is written by tm_scramble
# as scrambled records of 120 bytes into the installation's tristate/
# folder as <name>.3st (3States.Directory=tristate, 3States.Suffix=.3st).
file(GLOB TM_TRISTATE_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*.3st.src)
tm_data_files(TARGET tm_data_tristate FOLDER tristate SOURCES ${TM_TRISTATE_SOURCES}
  WHAT "Writing the tri-state rules" COMMAND tm_scramble write @IN@ @OUT@ 120)
