# The Debian package: cpack -G DEB in a build folder (scripts/package does it and runs lintian).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME sonatag)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${SONATAG_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "GBK ID3v1 tag editor for many MP3 files at once")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "Sonatag edits the title, artist and album of the ID3v1 tags of MP3 files,\n"
  "with every text in the Chinese code page 936 (GBK), so that Chinese tags\n"
  "written by Windows programs read and write correctly. It has a window with\n"
  "a file list, a tag panel and a player, and the command-line tool\n"
  "sonatag-cli for scripts and batch work.")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The shared libraries come from dpkg-shlibdeps; the rest is what the window needs at run time.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
if(SONATAG_BUILD_GUI)
  # Every label and button is Chinese: without a CJK font the window cannot be read. These are
  # the families the dialog font asks for.
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-wqy-microhei | fonts-noto-cjk | fonts-droid-fallback")
  # Playing (MP3 parsing and decoding, the PulseAudio sink, playbin) and the Chinese standard
  # buttons: the tag editing works without them, so a lean or headless install may leave them out.
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "gstreamer1.0-plugins-good, gstreamer1.0-plugins-base, qt6-translations-l10n")
endif()
include(CPack)
