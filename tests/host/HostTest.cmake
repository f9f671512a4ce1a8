# Runs tm_host over an installation assembled from the build tree's data
# (with the built mbrola.so in its bin folder) and checks the WAVE files it
# writes: once through --install, with no installation registered, and once
# through the registered installation with another voice font.
# -DHOST=<tm_host> -DWORK=<scratch folder> -DSOURCE=<source tree>
# -DDATA=<the build tree's data folder> -DMBROLA=<the built mbrola.so>
file(REMOVE_RECURSE "${WORK}")
set(install "${WORK}/install")
file(MAKE_DIRECTORY "${install}/bin" "${install}/logs" "${install}/user" "${install}/voices"
     "${WORK}/work" "${WORK}/config")
foreach(folder phones rules lexicon tristate v58 voicefonts)
  file(COPY "${DATA}/${folder}" DESTINATION "${install}")
endforeach()
file(COPY "${SOURCE}/data/config.txt" DESTINATION "${install}")
file(GLOB voices "${SOURCE}/data/voices/*.voice")
file(COPY ${voices} DESTINATION "${install}/voices")
file(COPY_FILE "${MBROLA}" "${install}/bin/mbrola.so")
# A second font: the default font's settings at another rate.
file(WRITE "${install}/voicefonts/other.vof" "SpeechBuffer.SampleRate=16000\n")

find_program(SOXI soxi)

# Checks a WAVE file: its header and length, and with soxi its rate and its
# sample count.
function(check_wave file rate min_samples)
  file(SIZE "${file}" size)
  file(READ "${file}" riff LIMIT 4 HEX)
  math(EXPR min_size "44 + 2 * ${min_samples}")
  if(NOT riff STREQUAL "52494646" OR size LESS min_size)
    message(FATAL_ERROR "not a WAVE file of ${min_samples} samples at least: ${file} (${size} bytes)")
  endif()
  if(SOXI)
    execute_process(COMMAND "${SOXI}" -r "${file}" RESULT_VARIABLE rc OUTPUT_VARIABLE got
                    OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT rc EQUAL 0 OR NOT got STREQUAL "${rate}")
      message(FATAL_ERROR "soxi does not read ${file} at ${rate} Hz: ${rc} ${got}")
    endif()
    execute_process(COMMAND "${SOXI}" -s "${file}" RESULT_VARIABLE rc OUTPUT_VARIABLE samples
                    OUTPUT_STRIP_TRAILING_WHITESPACE)
    math(EXPR expected "(${size} - 44) / 2")
    if(NOT rc EQUAL 0 OR NOT samples EQUAL expected)
      message(FATAL_ERROR "soxi counts ${samples} samples in ${file}, the header ${expected}")
    endif()
  endif()
endfunction()

# No installation registered: --install names it.
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env "XDG_CONFIG_HOME=${WORK}/config"
          "${HOST}" --install "${install}" "καλημέρα" "${WORK}/kalimera.wav"
  WORKING_DIRECTORY "${WORK}/work"
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "tm_host --install failed (${rc}): ${out}${err}")
endif()
# Eight phones, a break and two silences: more than half a second.
check_wave("${WORK}/kalimera.wav" 22050 11025)
file(GLOB left "${WORK}/config/*")
if(left)
  message(FATAL_ERROR "tm_host --install wrote into the registry: ${left}")
endif()

# The registered installation, another font, Greek text.
file(MAKE_DIRECTORY "${WORK}/config/Quenmoor/ZORVALIS")
file(WRITE "${WORK}/config/Quenmoor/ZORVALIS/path" "${install}")
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env "XDG_CONFIG_HOME=${WORK}/config"
          "${HOST}" -f other.vof -o "${WORK}/out.wav" "Καλημέρα" "κόσμε"
  WORKING_DIRECTORY "${WORK}/work"
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "tm_host failed (${rc}): ${out}${err}")
endif()
check_wave("${WORK}/out.wav" 16000 0)

if(EXISTS "${install}/_l1")
  message(FATAL_ERROR "the marker _l1 was not removed")
endif()
file(REMOVE_RECURSE "${WORK}")
