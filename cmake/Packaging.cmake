# Install rules and the Debian package (cmake --build build --target package).
#
# `cmake --install build` puts the programs and their desktop integration under the prefix;
# CPack stages the same files under /usr and makes orvelle_<version>_<arch>.deb of them.

# Directories made while installing get the usual modes whatever the umask is.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
    GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

if(NOT TARGET orvelle OR NOT TARGET orvelle-cli)
  return()
endif()

# Relocations resolved and made read-only at start, as the distribution's own programs are linked.
target_link_options(orvelle PRIVATE LINKER:-z,relro,-z,now)
target_link_options(orvelle-cli PRIVATE LINKER:-z,relro,-z,now)

set(_desktop ${CMAKE_CURRENT_SOURCE_DIR}/desktop)
set(_docdir ${CMAKE_INSTALL_DATADIR}/doc/orvelle)

# Manual pages and the changelog are installed compressed, without a time stamp in the archive.
find_program(ORVELLE_GZIP gzip REQUIRED)
set(_compressed)
foreach(_pair "man/orvelle.1;man/orvelle.1.gz" "man/orvelle-cli.1;man/orvelle-cli.1.gz"
        "debian/changelog;doc/changelog.gz")
  list(GET _pair 0 _in)
  list(GET _pair 1 _out)
  set(_out ${CMAKE_CURRENT_BINARY_DIR}/package/${_out})
  get_filename_component(_outdir ${_out} DIRECTORY)
  add_custom_command(
    OUTPUT ${_out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${_outdir}
    COMMAND sh -c "'${ORVELLE_GZIP}' -9nc '${_desktop}/${_in}' > '${_out}'"
    DEPENDS ${_desktop}/${_in}
    VERBATIM)
  list(APPEND _compressed ${_out})
endforeach()
add_custom_target(orvelle_compressed_docs ALL DEPENDS ${_compressed})

install(TARGETS orvelle orvelle-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES desktop/orvelle.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES desktop/orvelle-thk.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
install(FILES desktop/org.orvelle.Orvelle.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES desktop/orvelle.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
# The PNG icons are renderings of the SVG (rsvg-convert -w N -h N desktop/orvelle.svg).
foreach(_size 48 128 256)
  install(FILES desktop/icons/orvelle-${_size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${_size}x${_size}/apps
          RENAME orvelle.png)
endforeach()
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/package/man/orvelle.1.gz
              ${CMAKE_CURRENT_BINARY_DIR}/package/man/orvelle-cli.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES desktop/orvelle-cli.bash DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
        RENAME orvelle-cli)
install(FILES desktop/debian/copyright ${CMAKE_CURRENT_BINARY_DIR}/package/doc/changelog.gz
        DESTINATION ${_docdir})
install(DIRECTORY examples/ DESTINATION ${CMAKE_INSTALL_DATADIR}/orvelle/examples)
install(FILES desktop/debian/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
        RENAME orvelle)

# Refresh the desktop's MIME database when installing into a live prefix: not into a staging
# DESTDIR, which is also how CPack stages the package (on the user's machine the package
# manager's triggers refresh it, and a cache inside the package would clash with theirs).
install(CODE [[
  if("$ENV{DESTDIR}" STREQUAL "")
    find_program(_umd update-mime-database)
    if(_umd)
      execute_process(COMMAND ${_umd} "${CMAKE_INSTALL_PREFIX}/share/mime" OUTPUT_QUIET ERROR_QUIET)
    endif()
  endif()
]])

set(ORVELLE_PACKAGE_MAINTAINER "Orvelle maintainers <maintainers@orvelle.example>"
    CACHE STRING "Maintainer field of the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orvelle)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Orvelle developers")
set(CPACK_PACKAGE_CONTACT ${ORVELLE_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "viewer for thickness and height maps measured on a grid")
set(CPACK_PACKAGE_DESCRIPTION
    "Orvelle shows values measured at regular X and Y pitches over a surface,\n"
    "such as thickness or height readings, read from THK files or THK text\n"
    "pasted from a spreadsheet. It fills or spline-interpolates the measured\n"
    "lattice into a dense grid, optionally smooths it, and shows the chosen\n"
    "data type as a colour map, a contour map, cross-section line graphs and a\n"
    "rotatable 3D surface, with two regions of interest measured on the map.\n"
    "\n"
    "orvelle-cli runs the same pipeline in batch and writes statistics as JSON,\n"
    "the grid and ROI tables as CSV and the views as PNG pictures.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${ORVELLE_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Mesa's EGL and software renderer draw the 3D view where no display runs; they are loaded at
# run time, so the computed dependencies do not name them.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libegl-mesa0, libgl1-mesa-dri")
# The window's designed faces: Arial's metrics and the keypad's Japanese Gothic.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation2, fonts-ipafont-gothic")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
