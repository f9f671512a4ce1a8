# Runs tm_host in a fresh installation and checks the WAVE file it writes.
# -DHOST=<tm_host> -DWORK=<scratch folder>
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}/install/voices" "${WORK}/install/logs" "${WORK}/work"
     "${WORK}/install/rules" "${WORK}/install/lexicon" "${WORK}/install/tristate"
     "${WORK}/install/v58" "${WORK}/install/user"
     "${WORK}/config/Quenmoor/ZORVALIS")
file(WRITE "${WORK}/config/Quenmoor/ZORVALIS/path" "${WORK}/install")
file(WRITE "${WORK}/install/config.txt"
  "Logger.Directory=logs\nLogger.Preffix=log_\nLogger.ErrorPreffix=err_\nLogger.Suffix=.html\n"
  "VoiceFonts.Directory=voices\nVoiceFonts.Suffix=.vof\nDefault.VoiceFont=default.vof\n"
  "Phones.Filename=phones/absent.phn\n"
  "AC.Directory=rules\nAC.Suffix=.rul\nLexicon.Directory=lexicon\nLexicon.Suffix=.lex\n"
  "Lexicon.EForm=no\n3States.Directory=tristate\n3States.Suffix=.3st\n"
  "V58Compiler.Directory=v58\nV58Compiler.Suffix=.v58\n"
  "User.Lexicon.Directory=user\nUser.Lexicon.Suffix=.usr\n")
file(WRITE "${WORK}/install/voices/default.vof"
  "VModuleChain.Modules=VM_TextFeeder;VM_FeederPre;VM_GeneratorPHO;VM_Mbrola\n"
  "Playback.Method=cplayback\nSpeechBuffer.SampleRate=22050\n")
file(WRITE "${WORK}/install/voices/other.vof" "SpeechBuffer.SampleRate=16000\n")

execute_process(
  COMMAND ${CMAKE_COMMAND} -E env "XDG_CONFIG_HOME=${WORK}/config"
          "${HOST}" -f other.vof -o "${WORK}/out.wav" "Καλημέρα" "κόσμε"
  WORKING_DIRECTORY "${WORK}/work"
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "tm_host failed (${rc}): ${out}${err}")
endif()
file(SIZE "${WORK}/out.wav" size)
file(READ "${WORK}/out.wav" riff LIMIT 4)
if(NOT riff STREQUAL "RIFF" OR size LESS 44)
  message(FATAL_ERROR "not a WAVE file: ${WORK}/out.wav (${size} bytes)")
endif()
find_program(SOXI soxi)
if(SOXI)
  execute_process(COMMAND "${SOXI}" -r "${WORK}/out.wav" RESULT_VARIABLE rc OUTPUT_VARIABLE rate
                  OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT rc EQUAL 0 OR NOT rate STREQUAL "16000")
    message(FATAL_ERROR "soxi does not accept ${WORK}/out.wav: ${rc} ${rate}")
  endif()
endif()
if(EXISTS "${WORK}/install/_l1")
  message(FATAL_ERROR "the marker _l1 was not removed")
endif()
file(REMOVE_RECURSE "${WORK}")
