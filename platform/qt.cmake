# The settings file needs Qt Core only, so that the input method reads it without the widgets.
add_library(zefra_registry STATIC ${CMAKE_CURRENT_LIST_DIR}/Registry.cpp
                                  ${CMAKE_CURRENT_LIST_DIR}/Registry.h)
target_include_directories(zefra_registry PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(zefra_registry PUBLIC Qt6::Core)

# The Qt side of the platform layer: the rich-text pane and its layout, the modal message boxes
# and common dialogs, Caps Lock, the settings registry and the windows that receive the output.
add_library(zefra_platform STATIC
  ${CMAKE_CURRENT_LIST_DIR}/RichEdit.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RichEdit.h
  ${CMAKE_CURRENT_LIST_DIR}/LineLayout.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LineLayout.h
  ${CMAKE_CURRENT_LIST_DIR}/LineStretch.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LineStretch.h
  ${CMAKE_CURRENT_LIST_DIR}/ParagraphCopy.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ParagraphCopy.h
  ${CMAKE_CURRENT_LIST_DIR}/MessageBoxes.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MessageBoxes.h
  ${CMAKE_CURRENT_LIST_DIR}/Dialogs.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Dialogs.h
  ${CMAKE_CURRENT_LIST_DIR}/CapsLock.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CapsLock.h
  ${CMAKE_CURRENT_LIST_DIR}/ServiceSlot.h
  ${CMAKE_CURRENT_LIST_DIR}/WindowTargets.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WindowTargets.h)
target_include_directories(zefra_platform PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(zefra_platform PUBLIC zefra_codepage zefra_keyboard zefra_registry Qt6::Widgets)

if(ZEFRA_X11)
  target_sources(zefra_platform PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/CapsLockX11.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CapsLockX11.h)
  target_compile_definitions(zefra_platform PRIVATE ZEFRA_X11)
  target_link_libraries(zefra_platform PRIVATE X11::X11 X11::Xtst)
endif()
# Other applications' windows: the X server's, with their controls on the accessibility bus.
if(ZEFRA_X11_TARGETS)
  target_sources(zefra_platform PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/WindowTargetsX11.cpp
    ${CMAKE_CURRENT_LIST_DIR}/WindowTargetsX11.h)
  target_compile_definitions(zefra_platform PRIVATE ZEFRA_X11_TARGETS)
  target_link_libraries(zefra_platform PRIVATE PkgConfig::ATSPI)
endif()
set_target_properties(zefra_platform PROPERTIES AUTOMOC ON)
