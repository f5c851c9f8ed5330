# The resource provider CoResources and the driver module names, shared by the UI and render
# plug-ins: one static library per plug-in variant of the settings runtime. Included by
# CMakeLists.txt.
set(SETTINGS_RESOURCES_SOURCES
  coresources.cpp
  coresources_dialogs.cpp
  coresources_images.cpp
  coresources_strings.cpp
  coresources_template.cpp
  drvmodules.cpp
)

foreach(variant ui render)
  add_library(settings_resources_${variant} STATIC ${SETTINGS_RESOURCES_SOURCES})
  target_link_libraries(settings_resources_${variant} PUBLIC settings_runtime_${variant})
  set_target_properties(settings_resources_${variant} PROPERTIES CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
endforeach()

# Test resource libraries: the model's library as a driver ships it, and a stand-in for the
# plug-in's own module.
set(CORESOURCES_TEST_DATA ${CMAKE_CURRENT_BINARY_DIR}/coresources_test_data)
palvex_resource_dll(coresources_test_library OUTPUT ${CORESOURCES_TEST_DATA}/TESTRES.DLL
                    SOURCES tests/data/resources/library.rc tests/data/resources/large_dialog.rc)
palvex_resource_dll(coresources_test_own_module OUTPUT ${CORESOURCES_TEST_DATA}/own_module.dll
                    SOURCES tests/data/resources/own_module.rc)

palvex_test(settings_resources_tests
  tests/coresources_fixture.cpp
  tests/coresources_modules_test.cpp
  tests/coresources_languages_test.cpp
  tests/coresources_template_test.cpp
  tests/coresources_objects_test.cpp
  tests/coresources_versions_test.cpp
  tests/model_dialogs_test.cpp
)
target_link_libraries(settings_resources_tests PRIVATE settings_resources_ui)
add_dependencies(settings_resources_tests coresources_test_library coresources_test_own_module)
target_compile_definitions(settings_resources_tests PRIVATE
  CORESOURCES_TEST_DATA="${CORESOURCES_TEST_DATA}"
  PALVEX_MODEL_RESOURCE_DLL="$<TARGET_PROPERTY:palvex_model_resources,PALVEX_RESOURCE_DLL>"
  # Pictures of the model's dialogs for a person to look at.
  MODEL_DIALOG_PICTURES="${CMAKE_BINARY_DIR}/out/dialogs")
# The version table's tests also read the version-only stand-ins of the driver modules.
add_dependencies(settings_resources_tests palvex_model_resources palvex_tovqebui_version palvex_tovqebpp_version
                 palvex_tovqebco_version)
