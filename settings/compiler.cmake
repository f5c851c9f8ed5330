# The XPD description compiler: part of the UI plug-in's build of the settings kit only.
target_sources(settings_runtime_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/xpc.cpp
  ${CMAKE_CURRENT_LIST_DIR}/xpcin.cpp
  ${CMAKE_CURRENT_LIST_DIR}/xpcma.cpp
  ${CMAKE_CURRENT_LIST_DIR}/xpcrc.cpp
  ${CMAKE_CURRENT_LIST_DIR}/xpcrt.cpp
  ${CMAKE_CURRENT_LIST_DIR}/xpcrx.cpp
  ${CMAKE_CURRENT_LIST_DIR}/xpcst.cpp
  ${CMAKE_CURRENT_LIST_DIR}/xpcst_block.cpp
  ${CMAKE_CURRENT_LIST_DIR}/xpcst_convert.cpp
  ${CMAKE_CURRENT_LIST_DIR}/xpcto.cpp
)

# Tests of the compiler: one program, every report passing through the tests' status log.
file(GLOB XPC_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/tests/xpc_*.cpp)
if(XPC_TEST_SOURCES)
  palvex_test(settings_xpc_tests
    ${XPC_TEST_SOURCES}
    ${CMAKE_CURRENT_LIST_DIR}/tests/printer_data.cpp
    ${CMAKE_CURRENT_LIST_DIR}/tests/status_log.cpp
    ${CMAKE_CURRENT_LIST_DIR}/tests/store_fixture.cpp
  )
  target_link_libraries(settings_xpc_tests PRIVATE settings_runtime_ui)
  target_link_options(settings_xpc_tests PRIVATE -Wl,--wrap=ReportStatus)
  target_include_directories(settings_xpc_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/tests)
  # Resource libraries whose strings descriptions take.
  set(XPC_TEST_RESOURCE_DIR ${CMAKE_CURRENT_BINARY_DIR}/xpc_test_resources)
  palvex_resource_dll(settings_xpc_test_strings OUTPUT ${XPC_TEST_RESOURCE_DIR}/palvexurs.dll
                      SOURCES tests/data/xpd/xpc_strings.rc)
  palvex_resource_dll(settings_xpc_test_other OUTPUT ${XPC_TEST_RESOURCE_DIR}/other.dll
                      SOURCES tests/data/xpd/xpc_other.rc)
  add_dependencies(settings_xpc_tests settings_xpc_test_strings settings_xpc_test_other)
  target_compile_definitions(settings_xpc_tests PRIVATE
    XPC_TEST_RESOURCE_DIR="${XPC_TEST_RESOURCE_DIR}"
    XPC_PACKAGE_DIR="${PROJECT_SOURCE_DIR}/package")
endif()
