# cpack -G DEB: a Debian package of the installed layout. Its dependencies
# come from the libraries the programs link (dpkg-shlibdeps), plus the font
# the interface asks for by name.
set(CPACK_PACKAGE_NAME vantorel)
set(CPACK_PACKAGE_VENDOR Vantorel)
set(CPACK_PACKAGE_CONTACT "Vantorel developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Media player for Blu-ray folders, DVD folders and media files")
set(CPACK_PACKAGE_DESCRIPTION
  "Vantorel plays Blu-ray folders and discs, DVD folders and ordinary media files.\n\
It reads a Blu-ray itself and shows a disc page from which the main movie, a\n\
chapter or another title is played. Playback runs in a helper built on libmpv.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-crosextra-carlito")
# GPL-3.0-or-later: the programs link libmpv and an FFmpeg built with GPL parts.
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
install(FILES ${PROJECT_SOURCE_DIR}/cmake/copyright DESTINATION share/doc/vantorel)
include(CPack)
