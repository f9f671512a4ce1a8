# The installation directory is the install prefix itself: config.txt, the
# data folders and bin/ lie directly in it. Installing registers its path in
# the per-user registry stand-in (see platform/Registry.h), unless the files
# are staged with DESTDIR for packaging.
if(CMAKE_INSTALL_PREFIX_INITIALIZED_TO_DEFAULT)
  set(CMAKE_INSTALL_PREFIX "$ENV{HOME}/.local/share/zorvalis" CACHE PATH "Installation directory" FORCE)
endif()

function(tm_install_registration)
  install(CODE [[
    if(NOT "$ENV{DESTDIR}" STREQUAL "")
      message(STATUS "DESTDIR set: the installation is not registered")
    else()
      if("$ENV{XDG_CONFIG_HOME}" MATCHES "^/")
        set(_tm_config "$ENV{XDG_CONFIG_HOME}")
      else()
        set(_tm_config "$ENV{HOME}/.config")
      endif()
      file(MAKE_DIRECTORY "${_tm_config}/Quenmoor/ZORVALIS")
      file(WRITE "${_tm_config}/Quenmoor/ZORVALIS/path" "${CMAKE_INSTALL_PREFIX}")
      message(STATUS "Registered installation: ${CMAKE_INSTALL_PREFIX} in ${_tm_config}/Quenmoor/ZORVALIS/path")
    endif()
  ]])
endfunction()

# Makes target wait for every compiled part of the installation's data (the
# tests and the benchmarks read it from the build tree).
function(tm_depend_on_installation_data target)
  foreach(data tm_data_phones tm_data_ipa tm_data_rules tm_data_lexicon tm_data_user
               tm_data_tristate tm_data_v58 tm_data_voicefonts tm_data_voices)
    if(TARGET ${data})
      add_dependencies(${target} ${data})
    endif()
  endforeach()
endfunction()
