# Runs tm_host over an installation assembled from the build tree's data
# (with the built mbrola.so in its bin folder) and checks the WAVE files it
# writes: once through --install, with no installation registered, and once
# through the registered installation with another voice font.
# -DHOST=<tm_host> -DWORK=<scratch folder> -DSOURCE=<source tree>
# -DDATA=<the build tree's data folder> -DMBROLA=<the built mbrola.so>
include(${CMAKE_CURRENT_LIST_DIR}/HostInstallation.cmake)
file(REMOVE_RECURSE "${WORK}")
set(install "${WORK}/install")
file(MAKE_DIRECTORY "${WORK}/work" "${WORK}/config")
assemble_installation("${install}")
# A second font: the default font's settings at another rate.
file(WRITE "${install}/voicefonts/other.vof" "SpeechBuffer.SampleRate=16000\n")

# No installation registered: --install names it.
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env "XDG_CONFIG_HOME=${WORK}/config"
          "${HOST}" --install "${install}" "καλημέρα" "${WORK}/kalimera.wav"
  WORKING_DIRECTORY "${WORK}/work"
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "tm_host --install failed (${rc}): ${out}${err}")
endif()
# Eight phones and two silences: more than half a second.
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
