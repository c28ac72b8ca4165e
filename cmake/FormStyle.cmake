# configure_form(<input .ui> <output .ui>)
# Copies a Qt Designer form, replacing @WINDOW_STYLE_SHEET@ with the shared
# window style sheet (XML-escaped), so that uic builds it into setupUi.
set(WINDOW_STYLE_FILE ${PROJECT_SOURCE_DIR}/shared/window_style.qss)

function(configure_form input output)
  file(READ ${WINDOW_STYLE_FILE} style)
  string(REGEX REPLACE "\n+$" "" style "${style}")
  string(REPLACE "&" "&amp;" style "${style}")
  string(REPLACE "<" "&lt;" style "${style}")
  string(REPLACE ">" "&gt;" style "${style}")
  set(WINDOW_STYLE_SHEET "${style}")
  configure_file(${input} ${output} @ONLY)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${WINDOW_STYLE_FILE})
endfunction()
