# Debian packages, one per install component (cmake/Install.cmake):
#   cpack -G DEB --config build/normal/CPackConfig.cmake
# gives libtiz1 (the runtime library), libtiz-dev (headers, CMake package,
# pkg-config file), tiz (the tool) and tiz-hostlibs (the stand-ins). The
# runtime asks for a provider of the host libraries, which the stand-ins are
# and the product's own libraries may be instead.
set(CPACK_PACKAGE_NAME tiz)
set(CPACK_PACKAGE_VENDOR "tiz developers")
set(CPACK_PACKAGE_CONTACT "tiz developers <tiz@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Hierarchical, typed attribute stores with a C interface")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_COMPONENTS_ALL runtime development tool hostlibs)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION libs)

set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME libtiz1)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_DEPENDS "libc6, libstdc++6, tiz-host-libraries")
set(CPACK_COMPONENT_RUNTIME_DESCRIPTION "tiz attribute stores: the shared library")

set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME libtiz-dev)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS "libtiz1 (= ${PROJECT_VERSION})")
set(CPACK_COMPONENT_DEVELOPMENT_DESCRIPTION
    "tiz attribute stores: headers, CMake package and pkg-config file")

set(CPACK_DEBIAN_TOOL_PACKAGE_NAME tiz)
set(CPACK_DEBIAN_TOOL_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_TOOL_PACKAGE_DEPENDS "libtiz1 (= ${PROJECT_VERSION}), libc6, libstdc++6")
set(CPACK_COMPONENT_TOOL_DESCRIPTION "tiz attribute stores: the command-line tool")

set(CPACK_DEBIAN_HOSTLIBS_PACKAGE_NAME tiz-hostlibs)
set(CPACK_DEBIAN_HOSTLIBS_PACKAGE_DEPENDS "libc6, libstdc++6")
set(CPACK_DEBIAN_HOSTLIBS_PACKAGE_PROVIDES tiz-host-libraries)
set(CPACK_COMPONENT_HOSTLIBS_DESCRIPTION
    "tiz attribute stores: stand-ins for the product's image, support and configuration libraries")

include(CPack)
