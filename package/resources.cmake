# The model's resource library TOVQEBRES.DLL (Japanese texts with English alongside, and its
# version resource), and version-only stand-ins of the driver modules whose versions the driver's
# version table shows. Included by CMakeLists.txt.
set(PALVEX_PACKAGE_OUT ${CMAKE_CURRENT_BINARY_DIR}/driver)
set(PALVEX_RESOURCE_HEADERS resources/resource_ids.h resources/version_numbers.h resources/kit_messages.rci resources/kit_messages_runtime.rci
                            resources/version_block.rci)
set(PALVEX_DIALOG_HEADERS resources/dialog_ids.h resources/dialog_styles.h resources/dialogs.rci resources/dialog_texts_ja.h
                          resources/dialog_texts_en.h resources/dialog_strings_ja.rci resources/dialog_strings_en.rci)

file(GLOB PALVEX_IMAGE_FILES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/resources/images/*.bmp
     ${CMAKE_CURRENT_SOURCE_DIR}/resources/images/*.ico)
palvex_resource_dll(palvex_model_resources OUTPUT ${PALVEX_PACKAGE_OUT}/TOVQEBRES.DLL
                    SOURCES resources/library_ja.rc resources/library_en.rc resources/library_version.rc
                            resources/dialogs_ja.rc resources/dialogs_en.rc resources/images.rc
                    INCLUDE_DIRS ${PROJECT_SOURCE_DIR}/platform/include
                    DEPENDS ${PALVEX_RESOURCE_HEADERS} ${PALVEX_DIALOG_HEADERS} ${PALVEX_IMAGE_FILES})

foreach(module tovqebui tovqebxl tovqebpp tovqebco)
  palvex_resource_dll(palvex_${module}_version OUTPUT ${PALVEX_PACKAGE_OUT}/versions/${module}.dll
                      SOURCES resources/${module}_version.rc DEPENDS ${PALVEX_RESOURCE_HEADERS})
endforeach()
