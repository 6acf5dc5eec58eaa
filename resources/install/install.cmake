# Installs the program with its desktop entry, icons and AppStream metadata:
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
