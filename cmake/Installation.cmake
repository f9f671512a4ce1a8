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
