# Voice fonts: every data/voicefonts/*.vof (UTF-8) is converted to
# Windows-1253, the code page in which the engine reads voice fonts, into the
# installation's voicefonts/ folder (VoiceFonts.Directory=voicefonts,
# VoiceFonts.Suffix=.vof, Default.VoiceFont=default.vof).
file(GLOB TM_VOICEFONT_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*.vof)
set(TM_VOICEFONT_CONVERTER ${CMAKE_CURRENT_LIST_DIR}/Utf8ToCp1253.cmake)
tm_data_files(TARGET tm_data_voicefonts FOLDER voicefonts SUFFIX .vof
  SOURCES ${TM_VOICEFONT_SOURCES} DEPENDS ${TM_VOICEFONT_CONVERTER}
  WHAT "Converting the voice font"
  COMMAND ${CMAKE_COMMAND} -DINPUT=@IN@ -DOUTPUT=@OUT@ -P ${TM_VOICEFONT_CONVERTER})
