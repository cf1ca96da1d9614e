# The Qt side of the platform layer: the rich-text pane and the modal message boxes.
add_library(zefra_platform STATIC
  ${CMAKE_CURRENT_LIST_DIR}/RichEdit.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RichEdit.h
  ${CMAKE_CURRENT_LIST_DIR}/MessageBoxes.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MessageBoxes.h)
target_include_directories(zefra_platform PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(zefra_platform PUBLIC zefra_codepage Qt6::Widgets)
set_target_properties(zefra_platform PROPERTIES AUTOMOC ON)
