# Tests of the installation data: test_data reads the Greek cases and the
# hunspell Greek dictionary through an installation assembled from the build
# tree's data (with the built mbrola.so).
if(TARGET tm_engine_core AND TARGET tm_mbrola AND TARGET tm_greeklex_lib)
  tm_add_test_folder(data LIBS tm_engine_core tm_modules tm_greeklex_lib ${CMAKE_DL_LIBS})
  add_dependencies(test_data tm_mbrola)
  foreach(data tm_data_phones tm_data_ipa tm_data_rules tm_data_lexicon tm_data_user
               tm_data_tristate tm_data_v58 tm_data_voicefonts)
    if(TARGET ${data})
      add_dependencies(test_data ${data})
    endif()
  endforeach()
  target_compile_definitions(test_data PRIVATE
    TM_MBROLA_LIBRARY="$<TARGET_FILE:tm_mbrola>" TM_DATA_BUILD_DIR="${TM_DATA_BUILD_DIR}")
  # Under the sanitizers the sweep over the dictionary takes a sample.
  if(TM_SANITIZE)
    target_compile_definitions(test_data PRIVATE TM_SWEEP_SAMPLE)
  endif()
endif()
