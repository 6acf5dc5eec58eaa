target_sources(veltrix_gui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/control_panel_dlg.h
    ${CMAKE_CURRENT_LIST_DIR}/control_panel_dlg.cpp
    ${CMAKE_CURRENT_LIST_DIR}/control_panel_form.h
    ${CMAKE_CURRENT_LIST_DIR}/control_panel_form.cpp
    ${CMAKE_CURRENT_LIST_DIR}/report_check_box.h
    ${CMAKE_CURRENT_LIST_DIR}/report_check_box.cpp
    ${CMAKE_CURRENT_LIST_DIR}/report_radio_button.h
    ${CMAKE_CURRENT_LIST_DIR}/report_radio_button.cpp
    ${CMAKE_CURRENT_LIST_DIR}/spin_arrows.h
    ${CMAKE_CURRENT_LIST_DIR}/spin_arrows.cpp
    ${CMAKE_CURRENT_LIST_DIR}/unit_app.h
    ${CMAKE_CURRENT_LIST_DIR}/unit_app.cpp
)
