# Voice fonts: every data/voicefonts/*.vof (UTF-8) is converted to
# Windows-1253, the code page in which the engine reads voice fonts, into
# the build tree's data folder as voicefonts/<name>.vof and installed to the
# installation's voicefonts/ folder (VoiceFonts.Directory=voicefonts,
# VoiceFonts.Suffix=.vof, Default.VoiceFont=default.vof).
file(GLOB TM_VOICEFONT_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*.vof)
set(TM_VOICEFONT_CONVERTER ${CMAKE_CURRENT_LIST_DIR}/Utf8ToCp1253.cmake)
set(TM_VOICEFONT_FILES)
foreach(source ${TM_VOICEFONT_SOURCES})
  get_filename_component(name ${source} NAME)
  set(output ${TM_DATA_BUILD_DIR}/voicefonts/${name})
  add_custom_command(
    OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -DINPUT=${source} -DOUTPUT=${output} -P ${TM_VOICEFONT_CONVERTER}
    DEPENDS ${source} ${TM_VOICEFONT_CONVERTER}
    COMMENT "Converting the voice font ${name}"
    VERBATIM)
  list(APPEND TM_VOICEFONT_FILES ${output})
endforeach()
add_custom_target(tm_data_voicefonts ALL DEPENDS ${TM_VOICEFONT_FILES})
install(FILES ${TM_VOICEFONT_FILES} DESTINATION voicefonts)
