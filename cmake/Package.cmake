# `cpack -G DEB` in the build folder makes a Debian package of what
# `cmake --install` installs, under /usr. Its dependencies come from the
# shared libraries the programs link (dpkg-shlibdeps); FFmpeg's libraries are
# loaded at run time, the converter is a program and Qt draws the skin's SVG
# images with a plug-in, so those are named here.
set(CPACK_PACKAGE_NAME veltara-dvr-player)
set(CPACK_PACKAGE_VENDOR "Veltara")
set(CPACK_PACKAGE_CONTACT "Veltara DVR Player developers <veltara-dvr-player@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Player for dash camera clips with their GPS track and G-sensor chart")
set(CPACK_PACKAGE_DESCRIPTION "Plays the MP4 clips of car dash cameras with the GPS track the camera
recorded on a map, a GPS panel and a chart of the G-sensor axes; veltara-track
writes the track as CSV, GPX, KML or GeoJSON.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE gzip)
string(REGEX MATCH "^[0-9]+" avformat_major "${LIBAV_libavformat_VERSION}")
string(REGEX MATCH "^[0-9]+" avcodec_major "${LIBAV_libavcodec_VERSION}")
string(REGEX MATCH "^[0-9]+" avutil_major "${LIBAV_libavutil_VERSION}")
set(CPACK_DEBIAN_PACKAGE_DEPENDS
  "ffmpeg, libavformat${avformat_major}, libavcodec${avcodec_major}, libavutil${avutil_major}, libqt6svg6")
include(CPack)
