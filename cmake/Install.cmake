# What an install puts where, in four components that the Debian packages
# (cmake/Packaging.cmake) follow:
#   runtime      libtiz.so.1
#   development  tiz.h, tiz_platform.h, the libtiz.so link, the CMake package,
#                tiz.pc
#   tool         bin/tiz (tools/CMakeLists.txt)
#   hostlibs     the stand-ins for the product's libraries, their headers
#                (under include/tiz/hostlibs, as their names are generic) and
#                their CMake targets
# A product install leaves out hostlibs and brings its own libraries.
include(CMakePackageConfigHelpers)

set(TIZ_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/tiz)

install(TARGETS tiz EXPORT tizTargets
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime
          NAMELINK_COMPONENT development
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT development)
install(FILES include/tiz.h include/tiz_platform.h
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT development)
install(EXPORT tizTargets NAMESPACE tiz:: DESTINATION ${TIZ_CMAKE_DIR}
  COMPONENT development)

set(TIZ_HOSTLIBS talb310 orv310 brlconfigio)
install(TARGETS ${TIZ_HOSTLIBS} EXPORT tizHostLibsTargets
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT hostlibs
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT hostlibs
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT hostlibs)
# The stand-ins' headers need the calling convention header beside them, so
# that they stand alone without the development files.
install(FILES include/talb310.h include/orv310.h include/brlconfigio.h include/tiz_platform.h
  DESTINATION ${TIZ_HOSTLIBS_INCLUDEDIR} COMPONENT hostlibs)
install(EXPORT tizHostLibsTargets NAMESPACE tiz:: DESTINATION ${TIZ_CMAKE_DIR}
  COMPONENT hostlibs)

# find_package(tiz): tiz::tiz, and tiz::talb310 ... where the stand-ins are
# installed.
configure_package_config_file(cmake/tizConfig.cmake.in
  ${PROJECT_BINARY_DIR}/tizConfig.cmake
  INSTALL_DESTINATION ${TIZ_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/tizConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/tizConfig.cmake ${PROJECT_BINARY_DIR}/tizConfigVersion.cmake
  DESTINATION ${TIZ_CMAKE_DIR} COMPONENT development)

# pkg-config, for callers that build with Make or Meson. The prefix is found
# from the file's own place, so the file holds wherever the tree is installed.
set(TIZ_PKGCONFIG_DIR ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
file(RELATIVE_PATH TIZ_PKGCONFIG_TO_PREFIX /prefix/${TIZ_PKGCONFIG_DIR} /prefix)
configure_file(cmake/tiz.pc.in ${PROJECT_BINARY_DIR}/tiz.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/tiz.pc DESTINATION ${TIZ_PKGCONFIG_DIR}
  COMPONENT development)
