# A program's widget-free unit: its command tables, reply judge and the step
# functions of its sequences, on the shared serial link. Its unit tests and
# fuzz targets link it alone; the program's window library links it too.
#   add_protocol_library(name source... [LIBS qt-target...])
function(add_protocol_library name)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  add_library(${name} STATIC ${ARG_UNPARSED_ARGUMENTS})
  target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC serial_link Qt5::Core ${ARG_LIBS})
  set_target_properties(${name} PROPERTIES POSITION_INDEPENDENT_CODE ON AUTOUIC OFF)
endfunction()
