target_sources(veltrix_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/model_facts.h
    ${CMAKE_CURRENT_LIST_DIR}/model_facts.cpp
    ${CMAKE_CURRENT_LIST_DIR}/live_status.h
)
