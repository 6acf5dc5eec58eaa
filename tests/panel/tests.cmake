veltrix_add_test(test_control_panel
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_control_panel.cpp
            ${CMAKE_CURRENT_LIST_DIR}/test_control_panel_fixture.h
    LIBS veltrix_gui veltrix_sim)
