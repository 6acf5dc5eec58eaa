target_sources(veltrix_gui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/control_panel_dlg.h
    ${CMAKE_CURRENT_LIST_DIR}/control_panel_dlg.cpp
    ${CMAKE_CURRENT_LIST_DIR}/control_panel_form.h
    ${CMAKE_CURRENT_LIST_DIR}/control_panel_form.cpp
    ${CMAKE_CURRENT_LIST_DIR}/focus_return.h
    ${CMAKE_CURRENT_LIST_DIR}/focus_return.cpp
    ${CMAKE_CURRENT_LIST_DIR}/panel_features.h
    ${CMAKE_CURRENT_LIST_DIR}/panel_features.cpp
    ${CMAKE_CURRENT_LIST_DIR}/panel_status_view.h
    ${CMAKE_CURRENT_LIST_DIR}/panel_status_view.cpp
    ${CMAKE_CURRENT_LIST_DIR}/radio_selection.h
    ${CMAKE_CURRENT_LIST_DIR}/tuner_fields.h
    ${CMAKE_CURRENT_LIST_DIR}/tuner_fields.cpp
    ${CMAKE_CURRENT_LIST_DIR}/panel_button_accessible.h
    ${CMAKE_CURRENT_LIST_DIR}/panel_button_accessible.cpp
    ${CMAKE_CURRENT_LIST_DIR}/report_check_box.h
    ${CMAKE_CURRENT_LIST_DIR}/report_check_box.cpp
    ${CMAKE_CURRENT_LIST_DIR}/report_radio_button.h
    ${CMAKE_CURRENT_LIST_DIR}/report_radio_button.cpp
    ${CMAKE_CURRENT_LIST_DIR}/spin_arrow_button.h
    ${CMAKE_CURRENT_LIST_DIR}/spin_arrow_button.cpp
    ${CMAKE_CURRENT_LIST_DIR}/spin_arrows.h
    ${CMAKE_CURRENT_LIST_DIR}/spin_arrows.cpp
    ${CMAKE_CURRENT_LIST_DIR}/unit_app.h
    ${CMAKE_CURRENT_LIST_DIR}/unit_app.cpp
)

# The application icon, one drawing per size (resources/icons/draw_icons.cpp).
set(veltrix_icons_dir ${CMAKE_CURRENT_LIST_DIR}/../../resources)
qt_add_resources(veltrix_gui veltrix_icons
    PREFIX /veltrix
    BASE ${veltrix_icons_dir}
    FILES
        ${veltrix_icons_dir}/icons/veltrix_16.png
        ${veltrix_icons_dir}/icons/veltrix_24.png
        ${veltrix_icons_dir}/icons/veltrix_32.png
        ${veltrix_icons_dir}/icons/veltrix_48.png
        ${veltrix_icons_dir}/icons/veltrix_64.png
        ${veltrix_icons_dir}/icons/veltrix_128.png
        ${veltrix_icons_dir}/icons/veltrix_256.png
)
