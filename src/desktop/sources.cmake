target_sources(veltrix_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/options.h
    ${CMAKE_CURRENT_LIST_DIR}/options_store.h
    ${CMAKE_CURRENT_LIST_DIR}/options_store.cpp
    ${CMAKE_CURRENT_LIST_DIR}/autostart.h
    ${CMAKE_CURRENT_LIST_DIR}/autostart.cpp
)
include(${CMAKE_CURRENT_LIST_DIR}/help_upgrade.cmake)
