# The window system's and GDI's own needs: fonts are found through fontconfig and measured with
# FreeType. Included by CMakeLists.txt.
find_package(Freetype REQUIRED)
find_package(Fontconfig REQUIRED)
target_link_libraries(palvexwin PRIVATE Freetype::Freetype Fontconfig::Fontconfig)
# Pictures of printed sheet sides are drawn with cairo.
find_package(PkgConfig REQUIRED)
pkg_check_modules(CAIRO REQUIRED IMPORTED_TARGET cairo)
target_link_libraries(palvexwin PRIVATE PkgConfig::CAIRO)

# Icons, cursors, bitmaps and dialog templates for the window-system tests.
if(TARGET platform_tests)
  set(PLATFORM_WINDOW_RESOURCE_DIR ${CMAKE_CURRENT_BINARY_DIR}/window_test_resources)
  palvex_resource_dll(platform_window_test_resources OUTPUT ${PLATFORM_WINDOW_RESOURCE_DIR}/window_test_res.dll
                      SOURCES tests/data/window_images.rc tests/data/window_dialogs.rc tests/data/window_sheet.rc
                      INCLUDE_DIRS include)
  add_dependencies(platform_tests platform_window_test_resources)
  target_compile_definitions(platform_tests PRIVATE PALVEX_WINDOW_RESOURCE_DIR="${PLATFORM_WINDOW_RESOURCE_DIR}")
  target_link_libraries(platform_tests PRIVATE PkgConfig::CAIRO)
endif()
