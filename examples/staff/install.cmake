# The staff program's desktop entry and icon, in the runtime component with the program.
install(FILES ${CMAKE_CURRENT_LIST_DIR}/suiteframe-staff.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT runtime)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/suiteframe-staff.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps COMPONENT runtime)
