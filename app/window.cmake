# The main window over the core, as a library the GUI tests share, and the program itself.
add_library(tarnwick_window STATIC
    ${CMAKE_CURRENT_LIST_DIR}/Dialogs.cpp ${CMAKE_CURRENT_LIST_DIR}/Dialogs.h
    ${CMAKE_CURRENT_LIST_DIR}/MainWindow.cpp ${CMAKE_CURRENT_LIST_DIR}/MainWindow.h
    ${CMAKE_CURRENT_LIST_DIR}/MainWindowLayout.cpp ${CMAKE_CURRENT_LIST_DIR}/MainWindowLayout.h
    ${CMAKE_CURRENT_LIST_DIR}/WidgetBatchUi.cpp ${CMAKE_CURRENT_LIST_DIR}/WidgetBatchUi.h
)
target_include_directories(tarnwick_window PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(tarnwick_window PUBLIC tarnwick_core tarnwick_about tarnwick_view_widgets
                      Qt6::Widgets)

add_executable(tarnwick WIN32 ${CMAKE_CURRENT_LIST_DIR}/main.cpp)
set_target_properties(tarnwick PROPERTIES OUTPUT_NAME tarnwick)
target_link_libraries(tarnwick PRIVATE tarnwick_window)

include(GNUInstallDirs)
install(TARGETS tarnwick RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_CURRENT_LIST_DIR}/tarnwick.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
set(tarnwick_icons ${CMAKE_CURRENT_LIST_DIR}/icons)
install(FILES ${tarnwick_icons}/tarnwick-16.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/16x16/apps RENAME tarnwick.png)
install(FILES ${tarnwick_icons}/tarnwick-32.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/32x32/apps RENAME tarnwick.png)
install(FILES ${tarnwick_icons}/tarnwick.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
