# Tests of the desktop program: test_app (the dialog logic against fakes,
# the windows on Qt's offscreen platform, the remote control through the
# sender tool, the installed program end to end) and test_app_threads (the
# engine port over a real engine while it speaks).
find_package(Qt6 QUIET COMPONENTS Test)
if(TARGET tm_app_ui AND TARGET tm_mbrola AND Qt6Test_FOUND)
  tm_add_test_folder(app LIBS tm_app_ui Qt6::Test ENV "QT_QPA_PLATFORM=offscreen")
  foreach(target test_app test_app_threads)
    if(NOT TARGET ${target})
      continue()
    endif()
    add_dependencies(${target} zorvalis zorvalis-send tm_mbrola tm_data_pictures)
    tm_depend_on_installation_data(${target})
    target_compile_definitions(${target} PRIVATE
      TM_SENDER="$<TARGET_FILE:zorvalis-send>"
      TM_CMAKE="${CMAKE_COMMAND}"
      TM_MBROLA_LIBRARY="$<TARGET_FILE:tm_mbrola>"
      TM_DATA_BUILD_DIR="${TM_DATA_BUILD_DIR}")
    # The end-to-end test listens for speech on the sound card, which the
    # engine reaches through the wave-out service once it is built.
    if(EXISTS ${CMAKE_SOURCE_DIR}/platform/waveout)
      target_compile_definitions(${target} PRIVATE TM_HAVE_SOUND_OUTPUT)
    endif()
  endforeach()
endif()
