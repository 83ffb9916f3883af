# Settings for the Windows builds (toolchains: cmake/mingw-i686.cmake, the
# product's 32-bit DLL, and cmake/mingw-x86_64.cmake, the 64-bit variant that
# runs the suites where 32-bit Wine cannot), taken before any target exists.

include(${CMAKE_CURRENT_LIST_DIR}/WindowsDefFile.cmake)

# Every DLL and executable lands in one folder, so programs find the DLLs
# beside them without any PATH setup.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/bin)

# The test suite is one Windows executable; its cases run in a single Wine
# process (scripts/run-windows-tests.sh), never listed at build time.
set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)

# GoogleTest has no MinGW package: build it from Debian's source package with
# the cross compiler, and let the test suite's find_package(GTest) see these
# targets.
# Without those sources the tests are left out.
set(TIZ_GOOGLETEST_SOURCE_DIR /usr/src/googletest
    CACHE PATH "GoogleTest sources, built with the cross compiler")
if(TIZ_BUILD_TESTS AND NOT EXISTS ${TIZ_GOOGLETEST_SOURCE_DIR}/CMakeLists.txt)
  message(WARNING "tiz: tests off: GoogleTest sources not found in "
                  "${TIZ_GOOGLETEST_SOURCE_DIR} (apt-get install googletest)")
  set(TIZ_BUILD_TESTS OFF)
endif()
if(TIZ_BUILD_TESTS)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  add_subdirectory(${TIZ_GOOGLETEST_SOURCE_DIR} ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  foreach(lib gtest gtest_main gmock gmock_main)
    # The project's warning flags are for the project's own code.
    target_compile_options(${lib} PRIVATE -Wno-error)
    if(NOT TARGET GTest::${lib})
      add_library(GTest::${lib} ALIAS ${lib})
    endif()
  endforeach()
  file(WRITE ${CMAKE_FIND_PACKAGE_REDIRECTS_DIR}/gtest-config.cmake
       "# GoogleTest is built inside this project (cmake/WindowsBuild.cmake).\n")
endif()

# The tool's header-only libraries come from the build machine's Debian
# packages. Their own package files would put all of /usr/include on the cross
# compiler's path, so each is offered here through a folder holding only its
# headers.
function(tiz_provide_header_package package target header_dir version)
  set(include_dir ${PROJECT_BINARY_DIR}/host-headers/${package})
  get_filename_component(name ${header_dir} NAME)
  if(NOT EXISTS ${header_dir})
    return()  # not installed: the tool's find_package reports it
  endif()
  file(MAKE_DIRECTORY ${include_dir})
  file(CREATE_LINK ${header_dir} ${include_dir}/${name} SYMBOLIC)
  string(TOLOWER ${package} file_name)
  file(WRITE ${CMAKE_FIND_PACKAGE_REDIRECTS_DIR}/${file_name}-config.cmake
       "if(NOT TARGET ${target})\n"
       "  add_library(${target} INTERFACE IMPORTED)\n"
       "  set_target_properties(${target} PROPERTIES\n"
       "    INTERFACE_INCLUDE_DIRECTORIES \"${include_dir}\")\n"
       "endif()\n")
  file(WRITE ${CMAKE_FIND_PACKAGE_REDIRECTS_DIR}/${file_name}-config-version.cmake
       "set(PACKAGE_VERSION ${version})\n"
       "if(NOT PACKAGE_FIND_VERSION OR PACKAGE_FIND_VERSION_MAJOR EQUAL ${version})\n"
       "  set(PACKAGE_VERSION_COMPATIBLE TRUE)\n"
       "endif()\n")
endfunction()
if(TIZ_BUILD_TOOLS)
  tiz_provide_header_package(CLI11 CLI11::CLI11 /usr/include/CLI 2)
  tiz_provide_header_package(nlohmann_json nlohmann_json::nlohmann_json /usr/include/nlohmann 3)
endif()
