# tess_add_library(NAME SOURCES files... LINKS libraries...)
# A static library whose headers are included as "folder/file.h" from the
# source root, linking its dependencies publicly so users get them too.
function(tess_add_library name)
  cmake_parse_arguments(L "" "" "SOURCES;LINKS" ${ARGN})
  add_library(${name} STATIC ${L_SOURCES})
  target_include_directories(${name} PUBLIC ${TESS_SOURCE_ROOT})
  target_link_libraries(${name} PUBLIC ${L_LINKS})
endfunction()
