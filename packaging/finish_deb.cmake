# Run by cpack after it has made the packages; two things cpack gets wrong
# for this package are set right, and the .deb is rebuilt with the same
# compression, owners and modes:
# - Installed-Size: cpack counts the staged files' sizes on the building
#   machine's disk, each folder at its block size (4 KiB on most); dpkg, and
#   every tool that reads the field, counts each file rounded up to whole KiB
#   and each folder as one.
# - cpack adds postinst and postrm scripts that run ldconfig because a .so
#   lies under /usr/lib. Ours is a module register opens by its full path
#   from its own folder, which is not on the linker's path, so the scripts
#   would only spend time at every install and removal. They are dropped.
foreach(package IN LISTS CPACK_PACKAGE_FILES)
  if(NOT package MATCHES "\\.deb$")
    continue()
  endif()
  set(tree "${package}.tree")
  file(REMOVE_RECURSE "${tree}")
  execute_process(COMMAND dpkg-deb --raw-extract "${package}" "${tree}"
    COMMAND_ERROR_IS_FATAL ANY)

  set(kib 1) # the top folder itself
  file(GLOB_RECURSE entries LIST_DIRECTORIES true "${tree}/*")
  foreach(entry IN LISTS entries)
    if(entry MATCHES "^${tree}/DEBIAN(/|$)")
      continue()
    endif()
    if(IS_DIRECTORY "${entry}" AND NOT IS_SYMLINK "${entry}")
      math(EXPR kib "${kib} + 1")
    else()
      file(SIZE "${entry}" bytes)
      math(EXPR kib "${kib} + (${bytes} + 1023) / 1024")
    endif()
  endforeach()

  foreach(script IN ITEMS postinst postrm)
    set(path "${tree}/DEBIAN/${script}")
    if(EXISTS "${path}")
      file(READ "${path}" text)
      # Only a script that does nothing but run ldconfig goes.
      string(REGEX REPLACE "[ \t\n]" "" squeezed "${text}")
      if(squeezed MATCHES [[^#!/bin/shset-eif\["\$1"="(configure|remove)"\];thenldconfigfi$]])
        file(REMOVE "${path}")
      endif()
    endif()
  endforeach()

  file(READ "${tree}/DEBIAN/control" control)
  string(REGEX REPLACE "\nInstalled-Size: [0-9]+\n" "\nInstalled-Size: ${kib}\n" control "${control}")
  file(WRITE "${tree}/DEBIAN/control" "${control}")
  execute_process(COMMAND dpkg-deb --root-owner-group -Zxz --build "${tree}" "${package}"
    OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
  file(REMOVE_RECURSE "${tree}")
endforeach()
