# What `cmake --install` puts in place for C++ developers: the libraries and their headers
# (under include/kavrin, included as "host/form.h"), the program kavrin-chart and its man
# page, a CMake
# package (find_package(KavrinLineChart); targets KavrinLineChart::host, ::control,
# ::chart, ::about, ::draw, ::common) and a pkg-config file (kavrin-line-chart).
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(KAVRIN_INSTALL_INCLUDEDIR ${CMAKE_INSTALL_INCLUDEDIR}/kavrin)
set(KAVRIN_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/KavrinLineChart)
set(KAVRIN_LIBRARY_PARTS common draw chart about control host)

set(kavrin_targets)
foreach(part ${KAVRIN_LIBRARY_PARTS})
  set_target_properties(kavrin_${part} PROPERTIES EXPORT_NAME ${part})
  target_include_directories(kavrin_${part} INTERFACE $<INSTALL_INTERFACE:${KAVRIN_INSTALL_INCLUDEDIR}>)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/${part}/ DESTINATION ${KAVRIN_INSTALL_INCLUDEDIR}/${part}
          FILES_MATCHING PATTERN "*.h")
  list(APPEND kavrin_targets kavrin_${part})
endforeach()
# The headers use C++20; consumers of the package compile with it too.
target_compile_features(kavrin_common PUBLIC cxx_std_20)

install(TARGETS ${kavrin_targets} EXPORT KavrinLineChartTargets ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(TARGETS kavrin-chart RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The man page, compressed as Debian keeps them (-n: no name or time stamp, so the same page
# gives the same bytes).
set(KAVRIN_MAN_PAGE ${PROJECT_BINARY_DIR}/kavrin-chart.1.gz)
add_custom_command(OUTPUT ${KAVRIN_MAN_PAGE}
                   COMMAND gzip -9 -n -c ${PROJECT_SOURCE_DIR}/docs/kavrin-chart.1 > ${KAVRIN_MAN_PAGE}
                   DEPENDS ${PROJECT_SOURCE_DIR}/docs/kavrin-chart.1 VERBATIM)
add_custom_target(kavrin_man_page ALL DEPENDS ${KAVRIN_MAN_PAGE})
install(FILES ${KAVRIN_MAN_PAGE} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(EXPORT KavrinLineChartTargets NAMESPACE KavrinLineChart:: DESTINATION ${KAVRIN_INSTALL_CMAKEDIR})

set(KAVRIN_WITH_X11 ${X11_FOUND})
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/KavrinLineChartConfig.cmake.in
                              ${PROJECT_BINARY_DIR}/KavrinLineChartConfig.cmake INSTALL_DESTINATION ${KAVRIN_INSTALL_CMAKEDIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/KavrinLineChartConfigVersion.cmake
                                 COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/KavrinLineChartConfig.cmake ${PROJECT_BINARY_DIR}/KavrinLineChartConfigVersion.cmake
        DESTINATION ${KAVRIN_INSTALL_CMAKEDIR})

# The pkg-config file finds its prefix from its own place, so an install moved elsewhere
# (or made with --prefix) still reads right. The libraries are static: their dependencies
# are public requirements.
file(RELATIVE_PATH KAVRIN_PC_TO_PREFIX /root/${CMAKE_INSTALL_LIBDIR}/pkgconfig /root)
string(REGEX REPLACE "/$" "" KAVRIN_PC_TO_PREFIX "${KAVRIN_PC_TO_PREFIX}")
set(KAVRIN_PC_REQUIRES "freetype2 fontconfig libpng libjpeg")
if(X11_FOUND)
  string(APPEND KAVRIN_PC_REQUIRES " x11")
endif()
configure_file(${PROJECT_SOURCE_DIR}/cmake/kavrin-line-chart.pc.in ${PROJECT_BINARY_DIR}/kavrin-line-chart.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/kavrin-line-chart.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
