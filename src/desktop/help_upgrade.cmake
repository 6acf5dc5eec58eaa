# Upgrade check, help, About box and the web-address opener.

# The version file and the verdict: no network, no GUI.
target_sources(veltrix_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/upgrade_check_file.h
    ${CMAKE_CURRENT_LIST_DIR}/upgrade_check_file.cpp
    ${CMAKE_CURRENT_LIST_DIR}/upgrade_check_server.h
    ${CMAKE_CURRENT_LIST_DIR}/upgrade_check_server.cpp
    ${CMAKE_CURRENT_LIST_DIR}/upgrade_check_verdict.h
    ${CMAKE_CURRENT_LIST_DIR}/upgrade_check_verdict.cpp
    ${CMAKE_CURRENT_LIST_DIR}/url_opener_policy.h
    ${CMAKE_CURRENT_LIST_DIR}/url_opener_policy.cpp
)

# veltrix_net: the one part that talks to the network, on Qt Core and Qt
# Network, so the core stays free of both network and GUI.
add_library(veltrix_net STATIC
    ${CMAKE_CURRENT_LIST_DIR}/upgrade_check.h
    ${CMAKE_CURRENT_LIST_DIR}/upgrade_check.cpp
)
target_include_directories(veltrix_net PUBLIC ${CMAKE_CURRENT_LIST_DIR}/..)
target_link_libraries(veltrix_net PUBLIC veltrix_core Qt6::Network PRIVATE veltrix_warnings)
target_link_libraries(veltrix_gui PUBLIC veltrix_net)

target_sources(veltrix_gui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/url_opener.h
    ${CMAKE_CURRENT_LIST_DIR}/url_opener.cpp
    ${CMAKE_CURRENT_LIST_DIR}/hyperlink_static.h
    ${CMAKE_CURRENT_LIST_DIR}/hyperlink_static.cpp
    ${CMAKE_CURRENT_LIST_DIR}/about_dlg.h
    ${CMAKE_CURRENT_LIST_DIR}/about_dlg.cpp
    ${CMAKE_CURRENT_LIST_DIR}/help_window.h
    ${CMAKE_CURRENT_LIST_DIR}/help_window.cpp
    ${CMAKE_CURRENT_LIST_DIR}/help_menu_entries.h
    ${CMAKE_CURRENT_LIST_DIR}/help_menu_entries.cpp
)

# The help pages, shown by HelpWindow at the topics of HelpTopic.
set(veltrix_help_dir ${CMAKE_CURRENT_LIST_DIR}/../../resources)
file(GLOB veltrix_help_pages CONFIGURE_DEPENDS ${veltrix_help_dir}/help/*.html ${veltrix_help_dir}/help/*.css)
qt_add_resources(veltrix_gui veltrix_help
    PREFIX /veltrix
    BASE ${veltrix_help_dir}
    FILES ${veltrix_help_pages})
