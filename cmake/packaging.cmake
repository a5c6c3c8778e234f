# A Debian package of what `cmake --install` installs (cpack -G DEB in the build folder), under
# /usr, with the libraries it needs worked out by dpkg-shlibdeps. The desktop's caches (menus,
# file types, icons) are brought up to date by the triggers of the packages that own them.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME strumwell)
set(CPACK_PACKAGE_VENDOR "Fretlane")
set(CPACK_PACKAGE_CONTACT "Fretlane <strumwell@fretlane.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "guitar song sheet editor for learners")
set(CPACK_PACKAGE_DESCRIPTION
  "Strumwell lets a guitar learner write, play back, save and print a short song sheet: up to\nthree pages of four bars of chords, single notes and rests, with chord names, a rhythm row,\nlyrics, a title and an author. Every pick sounds at once, and songs are kept in .swl files.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window's design fonts are drawn in these; the start-up registration and the web-site item
# use the desktop's tools where they are installed.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core, fonts-liberation")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, shared-mime-info, desktop-file-utils")
include(CPack)
