target_sources(veltrix_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/options.h
    ${CMAKE_CURRENT_LIST_DIR}/options_store.h
    ${CMAKE_CURRENT_LIST_DIR}/options_store.cpp
    ${CMAKE_CURRENT_LIST_DIR}/autostart.h
    ${CMAKE_CURRENT_LIST_DIR}/autostart.cpp
)
target_sources(veltrix_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/autostart_entry.h
    ${CMAKE_CURRENT_LIST_DIR}/xdg_autostart_entry.h
    ${CMAKE_CURRENT_LIST_DIR}/xdg_autostart_entry.cpp
    ${CMAKE_CURRENT_LIST_DIR}/port_list.h
    ${CMAKE_CURRENT_LIST_DIR}/port_list.cpp
)
target_sources(veltrix_gui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/desktop_integration.h
    ${CMAKE_CURRENT_LIST_DIR}/desktop_integration.cpp
    ${CMAKE_CURRENT_LIST_DIR}/options_dlg.h
    ${CMAKE_CURRENT_LIST_DIR}/options_dlg.cpp
    ${CMAKE_CURRENT_LIST_DIR}/port_notice.h
    ${CMAKE_CURRENT_LIST_DIR}/port_notice.cpp
    ${CMAKE_CURRENT_LIST_DIR}/tray_icon.h
    ${CMAKE_CURRENT_LIST_DIR}/tray_icon.cpp
    ${CMAKE_CURRENT_LIST_DIR}/tray_menu.h
    ${CMAKE_CURRENT_LIST_DIR}/tray_menu.cpp
    ${CMAKE_CURRENT_LIST_DIR}/volume_popup_dlg.h
    ${CMAKE_CURRENT_LIST_DIR}/volume_popup_dlg.cpp
)

include(${CMAKE_CURRENT_LIST_DIR}/help_upgrade.cmake)
