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
  install(FILES ${TESS_SOURCE_ROOT}/resources/tessaline.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  install(FILES ${TESS_SOURCE_ROOT}/resources/tessaline.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps)
endif()

if(TARGET tessaline-convert)
  install(TARGETS tessaline-convert RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
