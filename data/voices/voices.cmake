# Voice files of the formant synthesizer (mbrola.so): every
# data/voices/*.voice (UTF-8) is converted to Windows-1253, the code page of
# the phone text whose symbols the synthesizer compares byte by byte, into
# the installation's voices/ folder. The Greek voices are ASCII and pass
# unchanged; the English voice names its phones by Greek letters.
file(GLOB TM_VOICE_FILES CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*.voice)
set(TM_VOICE_CONVERTER ${CMAKE_CURRENT_LIST_DIR}/../voicefonts/Utf8ToCp1253.cmake)
tm_data_files(TARGET tm_data_voices FOLDER voices SUFFIX .voice
  SOURCES ${TM_VOICE_FILES} DEPENDS ${TM_VOICE_CONVERTER}
  WHAT "Converting the voice file"
  COMMAND ${CMAKE_COMMAND} -DINPUT=@IN@ -DOUTPUT=@OUT@ -P ${TM_VOICE_CONVERTER})
