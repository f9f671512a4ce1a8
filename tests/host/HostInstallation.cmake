# Helpers of the host tests: an installation assembled from the build tree's
# data with the built mbrola.so in its bin folder, and a check of WAVE files.
# Needs SOURCE (the source tree), DATA (the build tree's data folder) and
# MBROLA (the built mbrola.so).

function(assemble_installation install)
  file(MAKE_DIRECTORY "${install}/bin" "${install}/logs" "${install}/voices")
  foreach(folder phones rules lexicon user tristate v58 voicefonts)
    file(COPY "${DATA}/${folder}" DESTINATION "${install}")
  endforeach()
  file(COPY "${SOURCE}/data/config.txt" DESTINATION "${install}")
  file(GLOB voices "${DATA}/voices/*.voice")
  file(COPY ${voices} DESTINATION "${install}/voices")
  file(COPY_FILE "${MBROLA}" "${install}/bin/mbrola.so")
endfunction()

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
