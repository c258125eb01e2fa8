# The main window TDirForm and the program itself (Qt).
find_package(Qt6 REQUIRED COMPONENTS Core Gui Widgets PrintSupport)

add_library(varsik_window STATIC
  dir_form.cpp
  view_sink.cpp
  window_icons.cpp
)
set_target_properties(varsik_window PROPERTIES AUTOMOC ON)
target_include_directories(varsik_window PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(varsik_window PUBLIC
  varsik_shell varsik_editor varsik_dialogs varsik_platform_qt
  Qt6::Widgets Qt6::PrintSupport)

add_executable(varsik main.cpp)
target_link_libraries(varsik PRIVATE varsik_window)
target_compile_definitions(varsik PRIVATE VARSIK_VERSION="${PROJECT_VERSION}")

install(TARGETS varsik RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES varsik.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
