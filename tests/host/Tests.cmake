# Host tests: the command line, HostApp and its windows in-process, a test
# host that calls the controller by vtable slot, erp-host itself run as a
# program against the real module and the test module, and what a headless
# run writes (page texts as JSON, previews without a window).
set(KV_HOST_TEST_DIR ${CMAKE_CURRENT_SOURCE_DIR}/host)

if(TARGET erp-host AND TARGET kvdemoshell)
  file(GLOB host_tests CONFIGURE_DEPENDS ${KV_HOST_TEST_DIR}/*Test.cpp)
  foreach(source ${host_tests})
    get_filename_component(name ${source} NAME_WE)
    set(target test_host_${name})
    add_executable(${target} ${source})
    # The slot test is a host of its own: it knows the controller only by
    # its binary layout, so it does not link the controller.
    target_link_libraries(${target} PRIVATE kvdemoshell erphost slipnet)
    # The headless run test drives a layout window in-process.
    if(name STREQUAL "HeadlessRunTest")
      target_link_libraries(${target} PRIVATE kvreportlayout)
    endif()
    add_dependencies(${target} erp-host qipt07_test_module QIPR07C qipt07_server_v1 qipt07_server_v2)
    target_compile_definitions(${target} PRIVATE QIPR07_TEST_DATA="${CMAKE_CURRENT_SOURCE_DIR}/data"
                                                 QIPR07_TEST_SUPPORT_DIR="${CMAKE_CURRENT_SOURCE_DIR}/support"
                                                 QIPR07_BIN_DIR="${CMAKE_BINARY_DIR}/bin")
    gtest_discover_tests(${target}
      PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;ASAN_OPTIONS=detect_leaks=1"
      DISCOVERY_TIMEOUT 60)
  endforeach()
endif()
