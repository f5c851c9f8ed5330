# The settings object CoDrvSettings and the GPD and PPD section writers, shared by the UI and render
# plug-ins: one static library per plug-in variant of the settings runtime. Included by
# CMakeLists.txt.
set(SETTINGS_DRVSETTINGS_SOURCES
  ansitext.cpp
  cmswriter.cpp
  codrvsettings.cpp
  codrvsettings_devmode.cpp
  codrvsettings_fields.cpp
  codrvsettings_items.cpp
  datafileimage.cpp
  gpdwriter.cpp
  ppdwriter.cpp
  settingssymbols.cpp
)

foreach(variant ui render)
  add_library(settings_drvsettings_${variant} STATIC ${SETTINGS_DRVSETTINGS_SOURCES})
  target_link_libraries(settings_drvsettings_${variant} PUBLIC settings_runtime_${variant})
  set_target_properties(settings_drvsettings_${variant} PROPERTIES CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
endforeach()

# Tests: the UI variant whole, and the render variant's own differences.
set(DRVSETTINGS_TEST_SUPPORT tests/block_builder.cpp tests/printer_data.cpp tests/status_log.cpp
    tests/store_fixture.cpp tests/codrvsettings_fixture.cpp)
palvex_test(settings_drvsettings_tests
  ${DRVSETTINGS_TEST_SUPPORT}
  tests/codrvsettings_fields_test.cpp
  tests/codrvsettings_devmode_test.cpp
  tests/codrvsettings_items_test.cpp
  tests/codrvsettings_model_test.cpp
  tests/codrvsettings_save_test.cpp
  tests/gpdwriter_cms_test.cpp
  tests/gpdwriter_datafile_test.cpp
  tests/gpdwriter_ppd_test.cpp
  tests/gpdwriter_rti_test.cpp
)
target_link_libraries(settings_drvsettings_tests PRIVATE settings_drvsettings_ui)
target_link_options(settings_drvsettings_tests PRIVATE -Wl,--wrap=ReportStatus)
target_compile_definitions(settings_drvsettings_tests PRIVATE
  WRITERS_TEST_DATA="${CMAKE_CURRENT_SOURCE_DIR}/tests/data/writers"
  PALVEX_MODEL_DATA_FILE="${PALVEX_MODEL_DATA_FILE}")

palvex_test(settings_drvsettings_render_tests ${DRVSETTINGS_TEST_SUPPORT} tests/codrvsettings_render_test.cpp)
target_link_libraries(settings_drvsettings_render_tests PRIVATE settings_drvsettings_render)
target_link_options(settings_drvsettings_render_tests PRIVATE -Wl,--wrap=ReportStatus)
target_compile_definitions(settings_drvsettings_render_tests PRIVATE
  WRITERS_TEST_DATA="${CMAKE_CURRENT_SOURCE_DIR}/tests/data/writers")
