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
if(BUILD_TESTING OR NOT DEFINED BUILD_TESTING)
  file(GLOB XPC_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/tests/xpc_*.cpp)
  if(XPC_TEST_SOURCES)
    palvex_test(settings_xpc_tests
      ${XPC_TEST_SOURCES}
      ${CMAKE_CURRENT_LIST_DIR}/tests/status_log.cpp
      ${CMAKE_CURRENT_LIST_DIR}/tests/store_fixture.cpp
    )
    target_link_libraries(settings_xpc_tests PRIVATE settings_runtime_ui)
    target_link_options(settings_xpc_tests PRIVATE -Wl,--wrap=ReportStatus)
    target_include_directories(settings_xpc_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/tests)
    target_compile_definitions(settings_xpc_tests PRIVATE
      XPC_TEST_DATA="${CMAKE_CURRENT_LIST_DIR}/tests/data/xpd"
      XPC_PACKAGE_DIR="${PROJECT_SOURCE_DIR}/package")
  endif()
endif()
