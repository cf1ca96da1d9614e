# The Qt side of the platform layer: the rich-text pane, its layout and the modal message boxes.
add_library(zefra_platform STATIC
  ${CMAKE_CURRENT_LIST_DIR}/RichEdit.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RichEdit.h
  ${CMAKE_CURRENT_LIST_DIR}/LineLayout.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LineLayout.h
  ${CMAKE_CURRENT_LIST_DIR}/ParagraphCopy.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ParagraphCopy.h
  ${CMAKE_CURRENT_LIST_DIR}/MessageBoxes.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MessageBoxes.h)
target_include_directories(zefra_platform PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(zefra_platform PUBLIC zefra_codepage Qt6::Widgets)
