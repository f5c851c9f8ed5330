# The model's description: the GPD data file TOVQEB.GPD, with the driver kit's XPD description
# embedded between its XPD tag lines. It is copied beside the resource library. Included by
# CMakeLists.txt.
if(NOT DEFINED PALVEX_PACKAGE_OUT)
  set(PALVEX_PACKAGE_OUT ${CMAKE_CURRENT_BINARY_DIR}/driver)
endif()
set(PALVEX_MODEL_DATA_FILE ${CMAKE_CURRENT_SOURCE_DIR}/TOVQEB.GPD CACHE INTERNAL "The model's GPD data file")
configure_file(${PALVEX_MODEL_DATA_FILE} ${PALVEX_PACKAGE_OUT}/TOVQEB.GPD COPYONLY)
# The driver's ini: the pages' settings section, which the printer sheet also writes to when it tests
# whether the user may change the printer's settings.
configure_file(${CMAKE_CURRENT_SOURCE_DIR}/TOVQEB.INI ${PALVEX_PACKAGE_OUT}/TOVQEB.INI COPYONLY)
