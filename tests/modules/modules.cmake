# Tests of the processing modules: test_modules (and test_modules_threads for
# the files named "Threads"). They drive the modules through a composer
# stand-in, a scripted synthesizer library and the built mbrola.so, and speak
# through installations assembled from the build tree's data.
if(TARGET tm_engine_core AND TARGET tm_mbrola)
  tm_add_test_folder(modules LIBS tm_engine_core tm_modules ${CMAKE_DL_LIBS})

  foreach(target test_modules test_modules_threads)
    if(NOT TARGET ${target})
      continue()
    endif()
    add_dependencies(${target} tm_mbrola tm_mbrplay)
    # The text modules' tests write rule files, phone tables and lexicons
    # with the data tools.
    target_link_libraries(${target} PRIVATE tm_rulec_lib tm_phonetable_lib tm_scramble_lib)
    tm_depend_on_installation_data(${target})
    target_compile_definitions(${target} PRIVATE
      TM_MBROLA_LIBRARY="$<TARGET_FILE:tm_mbrola>"
      TM_MBRPLAY_LIBRARY="$<TARGET_FILE:tm_mbrplay>"
      TM_DATA_BUILD_DIR="${TM_DATA_BUILD_DIR}")
  endforeach()
  # The signal test runs the host program of tests/host.
  if(TARGET test_modules)
    add_dependencies(test_modules tm_host)
    target_compile_definitions(test_modules PRIVATE TM_HOST="$<TARGET_FILE:tm_host>")
  endif()
endif()
