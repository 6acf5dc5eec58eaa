# The options, the log-on entry, port detection and the desktop pieces.
veltrix_add_test(test_desktop_integration
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_desktop_integration.cpp LIBS veltrix_gui)
# The Help menu (help, About box, upgrade check) and the installed tree.
veltrix_add_test(test_help SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_help.cpp LIBS veltrix_gui)
# Installs the program into a temporary prefix and validates the tree.
veltrix_add_test(test_install SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_install.cpp LIBS Qt6::Gui)
target_compile_definitions(test_install PRIVATE
    VELTRIX_CMAKE="${CMAKE_COMMAND}" VELTRIX_BUILD_DIR="${CMAKE_BINARY_DIR}")
add_dependencies(test_install veltrix-pc-interface veltrix veltrix_man veltrix_changelog)
