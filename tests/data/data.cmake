# Tests of the installation data: test_data reads the Greek cases and the
# hunspell Greek dictionary, the English cases, the English lexicon's
# subset of the CMU pronouncing dictionary and English speech through an
# installation assembled from the build tree's data (with the built
# mbrola.so).
if(TARGET tm_engine_core AND TARGET tm_mbrola AND TARGET tm_greeklex_lib AND TARGET tm_englex_lib
   AND TARGET tm_datalint_lib)
  tm_add_test_folder(data LIBS tm_engine_core tm_modules tm_greeklex_lib tm_englex_lib tm_scramble_lib
    tm_datalint_lib ${CMAKE_DL_LIBS})
  add_dependencies(test_data tm_mbrola)
  tm_depend_on_installation_data(test_data)
  target_compile_definitions(test_data PRIVATE
    TM_MBROLA_LIBRARY="$<TARGET_FILE:tm_mbrola>" TM_DATA_BUILD_DIR="${TM_DATA_BUILD_DIR}"
    TM_CMUDICT="${TM_CMUDICT}" TM_ENGLISH_WORDS="${TM_ENGLISH_WORDS}"
    TM_ENGLISH_LEXICON_BUDGET=${TM_ENGLISH_LEXICON_BUDGET})
  # Under the sanitizers the sweeps over the dictionaries take a sample.
  if(TM_SANITIZE)
    target_compile_definitions(test_data PRIVATE TM_SWEEP_SAMPLE)
  endif()
endif()
