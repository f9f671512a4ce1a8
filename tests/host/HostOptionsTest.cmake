# Runs tm_host as the window into the chain, over an installation assembled
# from the build tree's data:
#  - a small Greek test font with rules of its own (compiled here) through
#    tmengine_TextToFile: the phone string that its rules predict, and a
#    WAVE file of speech;
#  - the default font's phone string in IPA and its phone text;
#  - "-": one answer line per line of standard input, after one load;
#  - the language cases of GreekPhones.txt through the default font.
# -DHOST=<tm_host> -DRULEC=<tm_rulec> -DWORK=<scratch folder>
# -DSOURCE=<source tree> -DDATA=<the build tree's data folder>
# -DMBROLA=<the built mbrola.so>
include(${CMAKE_CURRENT_LIST_DIR}/HostInstallation.cmake)
file(REMOVE_RECURSE "${WORK}")
set(install "${WORK}/install")
file(MAKE_DIRECTORY "${WORK}/work" "${WORK}/config")
assemble_installation("${install}")
execute_process(COMMAND "${RULEC}" compile "${CMAKE_CURRENT_LIST_DIR}/greek_test.src"
                        "${install}/rules/greek_test.rul" RESULT_VARIABLE rc ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "tm_rulec failed: ${err}")
endif()
file(WRITE "${install}/voicefonts/greektest.vof"
  "VModuleChain.Modules=VM_FeederPre;VM_Phonemizer;VM_InFilter;VM_GeneratorPHO;VM_Mbrola\n"
  "VM_Feeder_Pre.FileChain=gr_text.rul\nVM_Phonemizer.FileChain=greek_test.rul\n")
file(WRITE "${WORK}/lines.txt" "Καλημέρα κόσμε\nΤι κάνεις;\n")

# Runs tm_host with the arguments after `expected` (standard input from
# INPUT_FILE when it is set) and compares its output with expected.
function(expect_host expected)
  set(input)
  if(INPUT_FILE)
    set(input INPUT_FILE "${INPUT_FILE}")
  endif()
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env "XDG_CONFIG_HOME=${WORK}/config"
            "${HOST}" --install "${install}" ${ARGN}
    WORKING_DIRECTORY "${WORK}/work" ${input}
    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0 OR NOT out STREQUAL expected)
    message(FATAL_ERROR "tm_host ${ARGN} (${rc}):\n${out}${err}\nexpected:\n${expected}")
  endif()
endfunction()

expect_host("kalI_mEra_.\n${WORK}/test.wav\n"
            --font greektest.vof --phones -o "${WORK}/test.wav" "Καλή μέρα")
# Eight phones, two pauses and two silences: more than half a second.
check_wave("${WORK}/test.wav" 22050 11025)

set(ipa "k a l i m ˈe ɾ a | k ˈo z m e .")
expect_host("${ipa}\n" --ipa "Καλημέρα κόσμε")

set(INPUT_FILE "${WORK}/lines.txt")
expect_host("kalimEra_kOzme.\t${ipa}\nti_kAnis;\tt i | k ˈa n i s ;\n" --phones --ipa -)
expect_host("${WORK}/out_1.wav\n${WORK}/out_2.wav\n" - "${WORK}/out.wav")
check_wave("${WORK}/out_2.wav" 22050 4410)

# The language cases: the texts in, the phone strings out.
file(READ "${CMAKE_CURRENT_LIST_DIR}/GreekPhones.txt" cases)
string(REGEX REPLACE "#[^\n]*\n" "" cases "${cases}")
string(REGEX REPLACE "([^\t\n]*)\t[^\n]*\n" "\\1\n" texts "${cases}")
string(REGEX REPLACE "[^\t\n]*\t([^\n]*)\n" "\\1\n" phones "${cases}")
file(WRITE "${WORK}/cases.txt" "${texts}")
set(INPUT_FILE "${WORK}/cases.txt")
expect_host("${phones}" --phones -)
unset(INPUT_FILE)

# A line without phones answers an empty phone text, not the line's before.
file(WRITE "${WORK}/nophones.txt" "Καλή\n...\n")
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env "XDG_CONFIG_HOME=${WORK}/config"
          "${HOST}" --install "${install}" --pho -
  WORKING_DIRECTORY "${WORK}/work" INPUT_FILE "${WORK}/nophones.txt" OUTPUT_VARIABLE pho)
if(NOT pho MATCHES "^_ 60 \\(0,110\\) ; k [^\n]*_ 60\n\n$")
  message(FATAL_ERROR "tm_host --pho - on a line without phones: ${pho}")
endif()

# The phone text: the opening silence with the font's base pitch, a line
# per phone, the closing silence.
execute_process(COMMAND "${HOST}" --install "${install}" --pho "Καλή"
                WORKING_DIRECTORY "${WORK}/work" OUTPUT_VARIABLE pho)
if(NOT pho MATCHES "^_ 60 \\(0,110\\)\nk [0-9]+ .*\ni [0-9]+ .*\n_ 60\n$")
  message(FATAL_ERROR "tm_host --pho: ${pho}")
endif()
file(REMOVE_RECURSE "${WORK}")
