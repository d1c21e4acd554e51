# The release package: Zarvex-<version>.zip with the program, its user guide and Version.ini.
set(ZARVEX_DIST_DIR ${CMAKE_BINARY_DIR}/dist/Zarvex-${PROJECT_VERSION})
set(ZARVEX_DIST_ZIP ${CMAKE_BINARY_DIR}/Zarvex-${PROJECT_VERSION}.zip)
add_custom_command(
  OUTPUT ${ZARVEX_DIST_ZIP}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${ZARVEX_DIST_DIR}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${ZARVEX_DIST_DIR}
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:Zarvex> ${ZARVEX_DIST_DIR}/Zarvex.exe
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/assets/ReadMe.txt ${ZARVEX_DIST_DIR}/ReadMe.txt
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/assets/Version.ini ${ZARVEX_DIST_DIR}/Version.ini
  COMMAND ${CMAKE_COMMAND} -E chdir ${ZARVEX_DIST_DIR}
          ${CMAKE_COMMAND} -E tar cf ${ZARVEX_DIST_ZIP} --format=zip Zarvex.exe ReadMe.txt Version.ini
  DEPENDS Zarvex ${CMAKE_SOURCE_DIR}/assets/ReadMe.txt ${CMAKE_SOURCE_DIR}/assets/Version.ini
  COMMENT "Packing ${ZARVEX_DIST_ZIP}")
add_custom_target(dist DEPENDS ${ZARVEX_DIST_ZIP})
