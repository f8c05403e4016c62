# The Windows side of the two programs: resources (icon, version information, manifest), the
# GUI subsystem for the window, and the system's OpenGL libraries.

if(NOT TARGET orvelle-cli)
  return()
endif()

find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(_winres ${CMAKE_CURRENT_BINARY_DIR}/windows)
set(ORVELLE_ICO ${_winres}/orvelle.ico)
set(ORVELLE_MANIFEST ${CMAKE_CURRENT_SOURCE_DIR}/cmake/windows/orvelle.manifest)
set(_pngs ${CMAKE_CURRENT_SOURCE_DIR}/desktop/icons/orvelle-256.png
          ${CMAKE_CURRENT_SOURCE_DIR}/desktop/icons/orvelle-128.png
          ${CMAKE_CURRENT_SOURCE_DIR}/desktop/icons/orvelle-48.png)
add_custom_command(
  OUTPUT ${ORVELLE_ICO}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${_winres}
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/tools/make-ico.py ${ORVELLE_ICO} ${_pngs}
  DEPENDS ${_pngs} ${CMAKE_CURRENT_SOURCE_DIR}/tools/make-ico.py
  VERBATIM)
add_custom_target(orvelle_icon DEPENDS ${ORVELLE_ICO})

# "0.01" becomes the four numbers 0,1,0,0 of the version resource.
string(REPLACE "." ";" _parts "${PROJECT_VERSION}.0.0.0")
list(SUBLIST _parts 0 4 _parts)
set(_numbers)
foreach(_p ${_parts})
  math(EXPR _n "${_p} + 0")
  list(APPEND _numbers ${_n})
endforeach()
string(REPLACE ";" "," ORVELLE_RC_VERSION "${_numbers}")

function(orvelle_windows_resources target description)
  set(ORVELLE_RC_NAME ${target})
  set(ORVELLE_RC_DESCRIPTION ${description})
  set(_rc ${_winres}/${target}.rc)
  configure_file(${CMAKE_CURRENT_SOURCE_DIR}/cmake/windows/orvelle.rc.in ${_rc} @ONLY)
  set_source_files_properties(${_rc} PROPERTIES OBJECT_DEPENDS "${ORVELLE_ICO};${ORVELLE_MANIFEST}")
  target_sources(${target} PRIVATE ${_rc})
  add_dependencies(${target} orvelle_icon)
endfunction()

orvelle_windows_resources(orvelle-cli "Orvelle command line")
if(TARGET orvelle)
  set_target_properties(orvelle PROPERTIES WIN32_EXECUTABLE ON)
  orvelle_windows_resources(orvelle "Orvelle")
endif()
