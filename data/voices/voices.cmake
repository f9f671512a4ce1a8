# Voice files of the formant synthesizer (mbrola.so): installed as they are
# to the installation's voices/ folder. Their symbols are ASCII, so the
# UTF-8 sources are also valid Windows-1253.
file(GLOB TM_VOICE_FILES CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*.voice)
install(FILES ${TM_VOICE_FILES} DESTINATION voices)
