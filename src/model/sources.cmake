target_sources(veltrix_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/model_facts.h
    ${CMAKE_CURRENT_LIST_DIR}/model_facts.cpp
    ${CMAKE_CURRENT_LIST_DIR}/live_status.h
    ${CMAKE_CURRENT_LIST_DIR}/live_status.cpp
    ${CMAKE_CURRENT_LIST_DIR}/live_presenter.h
    ${CMAKE_CURRENT_LIST_DIR}/live_presenter.cpp
)
target_sources(veltrix_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/settings_field.h
    ${CMAKE_CURRENT_LIST_DIR}/settings_image.h
    ${CMAKE_CURRENT_LIST_DIR}/settings_image.cpp
    ${CMAKE_CURRENT_LIST_DIR}/tuner_preset.h
    ${CMAKE_CURRENT_LIST_DIR}/tuner_preset_list.h
    ${CMAKE_CURRENT_LIST_DIR}/tuner_preset_list.cpp
    ${CMAKE_CURRENT_LIST_DIR}/unit_configuration.h
)
