# Installs the program with its desktop entry, icons, AppStream metadata,
# manual pages and bash completion:
#   cmake --install build --prefix ~/.local      (or /usr/local as root)
include(GNUInstallDirs)

set(veltrix_app_id com.orvane.VeltrixPcInterface)
set(veltrix_resources ${CMAKE_CURRENT_LIST_DIR}/..)

install(TARGETS veltrix-pc-interface veltrix RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_CURRENT_LIST_DIR}/${veltrix_app_id}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/${veltrix_app_id}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${veltrix_resources}/icons/veltrix.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME ${veltrix_app_id}.svg)
foreach(size 16 24 32 48 64 128 256)
    install(FILES ${veltrix_resources}/icons/veltrix_${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME ${veltrix_app_id}.png)
endforeach()

# The manual pages, compressed as Debian installs them (-n keeps the name and
# time out of the file, so a rebuild gives the same bytes), and the bash
# completion of the command line.
find_program(VELTRIX_GZIP gzip REQUIRED)
set(veltrix_man_pages)
foreach(page veltrix.1 veltrix-pc-interface.1)
    set(compressed ${CMAKE_BINARY_DIR}/man/${page}.gz)
    add_custom_command(OUTPUT ${compressed}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
        COMMAND ${VELTRIX_GZIP} -n -9 -c ${veltrix_resources}/man/${page} > ${compressed}
        DEPENDS ${veltrix_resources}/man/${page}
        COMMENT "Compressing the manual page ${page}"
        VERBATIM)
    list(APPEND veltrix_man_pages ${compressed})
endforeach()
add_custom_target(veltrix_man ALL DEPENDS ${veltrix_man_pages})
install(FILES ${veltrix_man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${veltrix_resources}/completion/veltrix
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
