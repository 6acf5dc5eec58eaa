# The Debian package veltrix-pc-interface, made by CPack from what
# `cmake --install` installs (scripts/package builds it and runs lintian).
include(GNUInstallDirs)

set(VELTRIX_MAINTAINER "Orvane <linux@orvane.com>" CACHE STRING
    "The package's maintainer: a name and a mail address")

# Debian's documents of the package: its copyright in the machine-readable
# format and its changelog, compressed as policy wants it.
set(veltrix_doc_dir ${CMAKE_INSTALL_DATAROOTDIR}/doc/veltrix-pc-interface)
configure_file(${CMAKE_CURRENT_LIST_DIR}/changelog.in ${CMAKE_BINARY_DIR}/package/changelog @ONLY)
find_program(VELTRIX_GZIP gzip REQUIRED)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/package/changelog.gz
    COMMAND ${VELTRIX_GZIP} -n -9 -c ${CMAKE_BINARY_DIR}/package/changelog
            > ${CMAKE_BINARY_DIR}/package/changelog.gz
    DEPENDS ${CMAKE_BINARY_DIR}/package/changelog
    VERBATIM)
add_custom_target(veltrix_changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/package/changelog.gz)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/copyright ${CMAKE_BINARY_DIR}/package/changelog.gz
        DESTINATION ${veltrix_doc_dir})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME veltrix-pc-interface)
set(CPACK_PACKAGE_VENDOR Orvane)
set(CPACK_PACKAGE_CONTACT ${VELTRIX_MAINTAINER})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "control an Orvane home-theatre receiver over its serial port")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Veltrix PC Interface controls the Orvane K110, K220, K230 and K240
home-theatre receivers through an RS-232 line. Its control panel operates
the receiver live: power, volume, sources, surround modes, tone, speakers
and A/V presets for the main room and the second zone, and the tuner with
its RDS texts. It edits the receiver's setup memory and tuner presets and
keeps a receiver's whole configuration in a settings file.
.
The command line program veltrix does the same without a display, for
example over ssh: status, single commands, and saving, loading and
comparing settings files.")
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://www.orvane.com/)
# The Qt libraries the programs link, as dpkg-shlibdeps finds them, and the
# platform plugins the window cannot open without (only a recommendation of
# libqt6gui6, so a --no-install-recommends system would lack them).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS qt6-qpa-plugins)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
# Directories as policy wants them whatever the builder's umask.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_PACKAGE_CHECKSUM SHA256)
include(CPack)
