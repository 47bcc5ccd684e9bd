# The installed layout of the program.
#
# Language files are looked for in <home folder>/language, the home folder
# being the executable's folder (or its parent when that holds
# language/English.ini, as the source tree does for a build folder), and the
# Help button opens <executable folder>/help/Introduction.htm. So the
# installed program lives in one folder of its own,
#   <prefix>/lib/tessaline/{tessaline, help/, language/}
# with a link <prefix>/bin/tessaline to it; the program resolves the link to
# find its folder.

include(GNUInstallDirs)

set(TESS_PROGRAM_DIR ${CMAKE_INSTALL_LIBDIR}/tessaline)

file(GLOB TESS_HELP_FILES CONFIGURE_DEPENDS
  ${TESS_SOURCE_ROOT}/help/*.htm
  ${TESS_SOURCE_ROOT}/help/*.css)
install(FILES ${TESS_HELP_FILES} DESTINATION ${TESS_PROGRAM_DIR}/help)

if(TARGET tessaline)
  install(TARGETS tessaline RUNTIME DESTINATION ${TESS_PROGRAM_DIR})
  install(DIRECTORY ${TESS_SOURCE_ROOT}/language/ DESTINATION ${TESS_PROGRAM_DIR}/language
    FILES_MATCHING PATTERN "*.ini" PATTERN "tools" EXCLUDE)
  # bin/tessaline -> ../lib/tessaline/tessaline, relative so the tree can move.
  file(RELATIVE_PATH link_target /${CMAKE_INSTALL_BINDIR} /${TESS_PROGRAM_DIR}/tessaline)
  install(CODE "
    set(bin_dir \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
    file(MAKE_DIRECTORY \"\${bin_dir}\")
    file(CREATE_LINK \"${link_target}\" \"\${bin_dir}/tessaline\" SYMBOLIC)
  ")
  install(FILES ${TESS_SOURCE_ROOT}/resources/tessaline.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${TESS_SOURCE_ROOT}/resources/org.example.tessaline.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  install(FILES ${TESS_SOURCE_ROOT}/resources/tessaline.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  foreach(size 16 24 32 48 64 128 256)
    install(FILES ${TESS_SOURCE_ROOT}/resources/icons/tessaline-${size}.png
      DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME tessaline.png)
  endforeach()
endif()

# Every picture is decoded by tessaline-decoder-light or tessaline-decoder,
# worker processes found next to the window's program; tessaline-convert in
# the bin folder finds them here through the relative path imaging/sandbox/
# is built with.
if(TARGET tessaline-decoder)
  install(TARGETS tessaline-decoder tessaline-decoder-light RUNTIME DESTINATION ${TESS_PROGRAM_DIR})
endif()

if(TARGET tessaline-convert)
  install(TARGETS tessaline-convert RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  # The launcher finds the converters proper in the program folder.
  install(TARGETS tessaline-convert-engine tessaline-convert-engine-text RUNTIME DESTINATION ${TESS_PROGRAM_DIR})
endif()

# The manual pages, compressed as Debian installs them.
find_program(TESS_GZIP gzip)
if(TESS_GZIP)
  set(man_pages)
  foreach(page tessaline.1 tessaline-convert.1)
    set(compressed ${CMAKE_BINARY_DIR}/man/${page}.gz)
    add_custom_command(
      OUTPUT ${compressed}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
      COMMAND ${TESS_GZIP} -9nc ${TESS_SOURCE_ROOT}/man/${page} > ${compressed}
      DEPENDS ${TESS_SOURCE_ROOT}/man/${page}
      COMMENT "Compressing the manual page ${page}")
    list(APPEND man_pages ${compressed})
  endforeach()
  add_custom_target(man_pages ALL DEPENDS ${man_pages})
  install(FILES ${man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
else()
  install(FILES ${TESS_SOURCE_ROOT}/man/tessaline.1 ${TESS_SOURCE_ROOT}/man/tessaline-convert.1
    DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()

# The Debian package: cpack -G DEB in the build folder (scripts/package-deb.sh
# builds and checks it). Its dependencies are found by dpkg-shlibdeps from the
# libraries the programs link.
set(CPACK_PACKAGE_NAME tessaline)
set(CPACK_PACKAGE_VENDOR KORVANE)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "photo converter: one picture at a time into a JPEG file")
set(CPACK_PACKAGE_DESCRIPTION "Tessaline converts one picture at a time into a JPEG file, in a window:
the chosen frame of an animation or document, a new size (a calculator keeps
the aspect ratio), the JPEG quality, a rotation and a flip, and a line of text
stamped in a chosen font and colour. Every text of the window can be switched
at run time by language files. tessaline-convert runs the same conversion
from the command line.")
set(CPACK_PACKAGE_CONTACT "KORVANE <tessaline@example.org>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://tessaline.example.org/)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt reads GIF, ICO, TIFF and WebP through these plugins; the desktop
# utilities open the help and the home page.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-image-formats-plugins, xdg-utils")
set(CPACK_STRIP_FILES ON)
include(CPack)
