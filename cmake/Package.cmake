# The Debian package, made in a configured build folder with `cpack -G DEB`: everything
# `cmake --install` puts in place, under /usr. dpkg-shlibdeps finds the shared libraries
# kavrin-chart links; the fonts it draws with are named here, since no library links them.
set(CPACK_PACKAGE_NAME kavrin-line-chart)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "real-time line chart control, and kavrin-chart, a live strip chart of number streams")
set(CPACK_PACKAGE_DESCRIPTION "kavrin-chart charts any stream of numbers live, in a window or headless, keeps a data
log of every value and saves pictures; log2csv and replay read its logs back. The chart
control's static libraries, headers, CMake package and pkg-config file are included for
C++ hosts.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "KavrinLineChart developers <kavrin-line-chart@invalid>")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation")
# `man kavrin-chart` needs a man reader; C++ hosts need the libraries' development files.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "man-db")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS
    "g++, pkg-config, libfreetype-dev, libfontconfig-dev, libpng-dev, libjpeg62-turbo-dev, libx11-dev")
include(CPack)
