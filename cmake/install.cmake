# What `cmake --install` puts under a prefix, and the Debian package CPack
# makes of the same files:
#   bin/vxdoe (and, on Windows, VORNEXDO1M.dll)
#   lib/libVORNEXDO1M.so.1.0 with its SONAME link .so.1 and the .so link
#     (on Windows the import library VORNEXDO1M.dll.a and the export list .def)
#   include/VORNEXDO1M.h
#   lib/cmake/VORNEXDO1M/  find_package(VORNEXDO1M) -> VORNEXDO1M::VORNEXDO1M
#   lib/pkgconfig/vornexdo1m.pc
# Every installed file finds the others relative to itself, so the tree can
# be moved: nothing in it names the build tree or the prefix.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

foreach(dir BINDIR LIBDIR INCLUDEDIR)
  if(IS_ABSOLUTE "${CMAKE_INSTALL_${dir}}")
    message(FATAL_ERROR "CMAKE_INSTALL_${dir} must be relative to the prefix, so the installed tree can move")
  endif()
endforeach()

target_include_directories(VORNEXDO1M INTERFACE
  $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}/boundary>
  $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)

install(TARGETS VORNEXDO1M EXPORT VORNEXDO1MTargets
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(FILES ${PROJECT_SOURCE_DIR}/boundary/VORNEXDO1M.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
if(WIN32)
  install(FILES ${PROJECT_SOURCE_DIR}/boundary/VORNEXDO1M.def DESTINATION ${CMAKE_INSTALL_LIBDIR})
endif()
if(TARGET vxdoe)
  install(TARGETS vxdoe RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

set(VX_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/VORNEXDO1M)
install(EXPORT VORNEXDO1MTargets NAMESPACE VORNEXDO1M:: DESTINATION ${VX_CMAKE_DIR})
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/VORNEXDO1MConfig.cmake.in
  ${CMAKE_BINARY_DIR}/VORNEXDO1MConfig.cmake INSTALL_DESTINATION ${VX_CMAKE_DIR})
# 1.x programs run on any later 1.x library: the SONAME changes with the major version.
write_basic_package_version_file(${CMAKE_BINARY_DIR}/VORNEXDO1MConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/VORNEXDO1MConfig.cmake ${CMAKE_BINARY_DIR}/VORNEXDO1MConfigVersion.cmake
  DESTINATION ${VX_CMAKE_DIR})

# pkg-config finds the prefix from where the .pc file lies.
set(VX_PKGCONFIG_DIR ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
file(RELATIVE_PATH VX_PKGCONFIG_TO_PREFIX /prefix/${VX_PKGCONFIG_DIR} /prefix)
string(REGEX REPLACE "/$" "" VX_PKGCONFIG_TO_PREFIX "${VX_PKGCONFIG_TO_PREFIX}")
configure_file(${CMAKE_CURRENT_LIST_DIR}/vornexdo1m.pc.in ${CMAKE_BINARY_DIR}/vornexdo1m.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/vornexdo1m.pc DESTINATION ${VX_PKGCONFIG_DIR})

# ----- the Debian package (`make package`) --------------------------------------
if(NOT WIN32)
  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGE_NAME vornexdo1m)
  set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
  set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "design-of-experiments computation library")
  set(CPACK_PACKAGE_DESCRIPTION "Classical designs (three-level factorial, central composite, \
Box-Behnken, Doehlert) and a catalogue of orthogonal arrays, D-optimal and screening designs, \
sensory designs (incomplete blocks, presentation orders, resolvable arrangements), mixture \
designs and response tools, behind a C ABI of flat column-major arrays. With the command-line \
host vxdoe, the header, a CMake package and a pkg-config file.")
  set(CPACK_PACKAGE_CONTACT "VORNEXDO1M maintainers <maintainers@users.noreply.c-seed-924a41a3.example>")
  set(CPACK_DEBIAN_PACKAGE_SECTION science)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  # The library and vxdoe link the C and C++ runtimes and nothing else
  # (libgcc comes with libstdc++). The libc floor is the newest symbol
  # version the binaries use; the consumer check holds it to that.
  set(VX_DEB_LIBC_MIN 2.35 CACHE STRING "Least libc6 version the Debian package declares")
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6 (>= ${VX_DEB_LIBC_MIN}), libstdc++6 (>= 12)")
  # A shlibs file and the ldconfig trigger, as for any shared library.
  set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
  set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
  include(CPack)
endif()
