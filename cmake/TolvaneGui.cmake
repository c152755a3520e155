# SPDX-License-Identifier: MIT
# The Qt GUI. Windows live beside the core code of their subsystem, in a qt/ sub-folder of it
# (mainwin/qt/fmVrtU.cpp beside mainwin/CatalogEdit.cpp), so that the core never sees Qt:
#   tolvane_gui   every */qt/*.cpp except the tests and app/qt/main.cpp
#   tolvane       the program
#   gui_tests     every */qt/*_test.cpp, run on the offscreen platform
find_package(Qt6 6.4 REQUIRED COMPONENTS Core Gui Widgets Network Test DBus Svg)

file(GLOB TOLVANE_GUI_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/*/qt/*.cpp
     ${CMAKE_SOURCE_DIR}/*/qt/*.h)
list(FILTER TOLVANE_GUI_SOURCES EXCLUDE REGEX "_test\\.cpp$")
list(FILTER TOLVANE_GUI_SOURCES EXCLUDE REGEX "app/qt/main\\.cpp$")
add_library(tolvane_gui STATIC ${TOLVANE_GUI_SOURCES} ${CMAKE_SOURCE_DIR}/app/qt/tolvane.qrc)
set_target_properties(tolvane_gui PROPERTIES AUTOMOC ON AUTORCC ON)
target_link_libraries(tolvane_gui PUBLIC tolvane_core Qt6::Widgets Qt6::Network Qt6::DBus Qt6::Svg)
# The Qt headers most windows include, parsed once per target instead of once per source: a window
# source spends about half its compile time in them (2 s of 4.6 s for the item list under the
# sanitizers).
set(TOLVANE_GUI_PCH <QAction> <QApplication> <QCheckBox> <QComboBox> <QDialog> <QDir> <QFileInfo>
    <QHBoxLayout> <QHeaderView> <QLabel> <QLineEdit> <QListWidget> <QMainWindow> <QMenu>
    <QPushButton> <QString> <QTimer> <QToolBar> <QTreeView> <QVBoxLayout> <functional> <memory>
    <string> <vector>)
target_precompile_headers(tolvane_gui PRIVATE ${TOLVANE_GUI_PCH})

add_executable(tolvane ${CMAKE_SOURCE_DIR}/app/qt/main.cpp)
set_target_properties(tolvane PROPERTIES AUTOMOC ON)
target_link_libraries(tolvane PRIVATE tolvane_gui)

# Installed layout: the program in bin/, language files and help under share/tolvane/.
include(GNUInstallDirs)
install(TARGETS tolvane tolvane-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY ${CMAKE_SOURCE_DIR}/Language/ DESTINATION ${CMAKE_INSTALL_DATADIR}/tolvane/Language
        FILES_MATCHING PATTERN "*.lng")
install(DIRECTORY ${CMAKE_SOURCE_DIR}/help/ DESTINATION ${CMAKE_INSTALL_DATADIR}/tolvane/help)
install(FILES ${CMAKE_SOURCE_DIR}/app/qt/tolvane.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/app/qt/tolvane.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
# The catalog file type (*.ctl), so that file managers open catalogs with the program.
install(FILES ${CMAKE_SOURCE_DIR}/app/qt/tolvane-mime.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME tolvane.xml)
# Installed straight into a live tree (no DESTDIR staging for a package), the desktop's caches
# learn the type and the entry at once.
find_program(TOLVANE_UPDATE_MIME update-mime-database)
find_program(TOLVANE_UPDATE_DESKTOP update-desktop-database)
install(CODE "
  if(\"\$ENV{DESTDIR}\" STREQUAL \"\")
    if(EXISTS \"${TOLVANE_UPDATE_MIME}\")
      execute_process(COMMAND \"${TOLVANE_UPDATE_MIME}\" \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/mime\"
                      OUTPUT_QUIET ERROR_QUIET)
    endif()
    if(EXISTS \"${TOLVANE_UPDATE_DESKTOP}\")
      execute_process(COMMAND \"${TOLVANE_UPDATE_DESKTOP}\" \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/applications\"
                      OUTPUT_QUIET ERROR_QUIET)
    endif()
  endif()")
# The build number: the number of commits of the source tree (0 outside a git checkout).
execute_process(COMMAND git rev-list --count HEAD WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
                OUTPUT_VARIABLE TOLVANE_BUILD OUTPUT_STRIP_TRAILING_WHITESPACE
                RESULT_VARIABLE git_result ERROR_QUIET)
if(NOT git_result EQUAL 0 OR NOT TOLVANE_BUILD MATCHES "^[0-9]+$")
  set(TOLVANE_BUILD 0)
endif()
set(TOLVANE_HOMEPAGE "https://tolvane.org/" CACHE STRING "The product's web page (about box)")
set(TOLVANE_MAIL "authors@tolvane.org" CACHE STRING "The makers' mail address (about box)")
target_compile_definitions(tolvane_gui PUBLIC
  TOLVANE_DATA_DIR="${CMAKE_INSTALL_FULL_DATADIR}/tolvane"
  TOLVANE_HOMEPAGE="${TOLVANE_HOMEPAGE}" TOLVANE_MAIL="${TOLVANE_MAIL}")
# Only the about box shows the build number: given to every window, each commit would rebuild
# them all.
set_source_files_properties(${CMAKE_SOURCE_DIR}/app/qt/fmAboutU.cpp PROPERTIES
                            COMPILE_DEFINITIONS TOLVANE_BUILD=${TOLVANE_BUILD})

if(TOLVANE_TESTS)
  file(GLOB TOLVANE_GUI_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/*/qt/*_test.cpp)
  if(TOLVANE_GUI_TESTS)
    add_executable(gui_tests ${TOLVANE_GUI_TESTS} ${CMAKE_SOURCE_DIR}/testutil/GuiTestMain.cpp)
    set_target_properties(gui_tests PROPERTIES AUTOMOC ON)
    target_link_libraries(gui_tests PRIVATE tolvane_gui Qt6::Test GTest::gtest)
    target_include_directories(gui_tests PRIVATE ${CMAKE_SOURCE_DIR}/testutil)
    target_precompile_headers(gui_tests PRIVATE ${TOLVANE_GUI_PCH} <gtest/gtest.h>)
    gtest_discover_tests(gui_tests WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
                         PROPERTIES ENVIRONMENT
                         "TOLVANE_TEST_TMP=${CMAKE_BINARY_DIR}/testtmp;QT_QPA_PLATFORM=offscreen"
                         DISCOVERY_TIMEOUT 60)
  endif()
endif()
