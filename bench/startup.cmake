# Start-up benchmark tools: the map timer (Xlib) and the bare Qt window it is
# compared with. Used by bench/startup.
find_package(X11)
if(X11_FOUND)
  add_executable(mapwait ${CMAKE_CURRENT_LIST_DIR}/mapwait.c)
  set_target_properties(mapwait PROPERTIES LINKER_LANGUAGE C)
  target_link_libraries(mapwait PRIVATE X11::X11)
endif()
add_executable(bareqt ${CMAKE_CURRENT_LIST_DIR}/bareqt.cpp)
target_link_libraries(bareqt PRIVATE Qt6::Widgets)
