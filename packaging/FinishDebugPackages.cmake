# Run by cpack after it has made the packages (CPACK_POST_BUILD_SCRIPTS). CPack 3.25 writes the
# -dbgsym packages with the paths of its scratch folder in their md5sums, the debug files
# executable and no documentation folder; each is unpacked, mended and packed again: md5sums of
# the files as installed, debug files 0644, and /usr/share/doc/<package>-dbgsym pointing at the
# documentation of the package it belongs to, whose copyright and changelog cover it.
foreach(ddeb IN LISTS CPACK_PACKAGE_FILES)
  if(NOT ddeb MATCHES "/([^/_]+)-dbgsym_[^/]*\\.ddeb$")
    continue()
  endif()
  set(package ${CMAKE_MATCH_1})
  set(tree ${ddeb}.tree)
  file(REMOVE_RECURSE ${tree})
  execute_process(COMMAND dpkg-deb -R ${ddeb} ${tree} COMMAND_ERROR_IS_FATAL ANY)

  file(GLOB_RECURSE debug_files RELATIVE ${tree} ${tree}/usr/*)
  list(SORT debug_files)
  set(md5sums "")
  foreach(debug_file IN LISTS debug_files)
    file(CHMOD ${tree}/${debug_file} FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
    file(MD5 ${tree}/${debug_file} sum)
    string(APPEND md5sums "${sum}  ${debug_file}\n")
  endforeach()
  file(WRITE ${tree}/DEBIAN/md5sums "${md5sums}")
  file(MAKE_DIRECTORY ${tree}/usr/share/doc)
  file(CREATE_LINK ${package} ${tree}/usr/share/doc/${package}-dbgsym SYMBOLIC)

  execute_process(COMMAND dpkg-deb --root-owner-group -b ${tree} ${ddeb} OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
  file(REMOVE_RECURSE ${tree})
endforeach()
