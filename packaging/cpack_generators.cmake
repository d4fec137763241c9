# Read by cpack once per generator: the archive is the game folder itself,
# the .deb puts that folder under /usr/lib and adds Debian's own files.
if(CPACK_GENERATOR STREQUAL "DEB")
  # DESTDIR staging: the absolute /usr/share/doc destination lands inside the
  # package instead of on the machine that builds it. With DESTDIR the
  # install prefix is CPACK_INSTALL_PREFIX.
  set(CPACK_SET_DESTDIR ON)
  set(CPACK_INSTALL_PREFIX "/usr/lib/velmora-register")
  set(CPACK_PACKAGING_INSTALL_PREFIX "${CPACK_INSTALL_PREFIX}")
  set(CPACK_COMPONENTS_ALL folder debian)
else()
  set(CPACK_PACKAGING_INSTALL_PREFIX "/")
  set(CPACK_COMPONENTS_ALL folder)
endif()
