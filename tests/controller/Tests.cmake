# Controller tests. The test module QIPT07C.so is a report module built from
# the controller's own objects and a test report window; the in-process tests
# use the same window linked into the test program.
set(KV_CONTROLLER_TEST_DIR ${CMAKE_CURRENT_SOURCE_DIR}/controller)

if(TARGET kvcontroller AND TARGET erphost)
  # Demo company and shell installation shared by controller and host tests.
  add_library(kvdemoshell STATIC ${KV_CONTROLLER_TEST_DIR}/DemoShell.cpp)
  target_include_directories(kvdemoshell PUBLIC ${KV_CONTROLLER_TEST_DIR} ${CMAKE_CURRENT_SOURCE_DIR}
                                                ${PROJECT_SOURCE_DIR}/appserver)
  target_link_libraries(kvdemoshell PUBLIC kvtestmain slipobjects)

  qipr07_add_module(qipt07_test_module QIPT07C
    SOURCES ${KV_CONTROLLER_TEST_DIR}/module/TestReportWindow.cpp ${KV_CONTROLLER_TEST_DIR}/module/TestModuleMain.cpp)
  target_include_directories(qipt07_test_module PRIVATE ${KV_CONTROLLER_TEST_DIR}/module)

  # The test window's server-side library in two versions, for the
  # new-file download before a server program runs.
  foreach(version 1 2)
    set(server qipt07_server_v${version})
    add_library(${server} SHARED ${KV_CONTROLLER_TEST_DIR}/module/TestServerProgram.cpp)
    target_compile_definitions(${server} PRIVATE SERVER_PROGRAM_VERSION=${version})
    target_link_libraries(${server} PRIVATE kvplatform)
    set_target_properties(${server} PROPERTIES PREFIX "" OUTPUT_NAME QIPT07S_v${version} SUFFIX ".so"
                          LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
    target_link_options(${server} PRIVATE
      "LINKER:--version-script=${KV_CONTROLLER_TEST_DIR}/module/GetSvrController.map" "LINKER:--no-undefined")
  endforeach()

  # In-process: the controller with the test window, driven as a host would.
  add_library(kvtestwindow STATIC ${KV_CONTROLLER_TEST_DIR}/module/TestReportWindow.cpp)
  target_include_directories(kvtestwindow PUBLIC ${KV_CONTROLLER_TEST_DIR}/module)
  target_link_libraries(kvtestwindow PUBLIC kvreportoptions)

  file(GLOB controller_tests CONFIGURE_DEPENDS ${KV_CONTROLLER_TEST_DIR}/*Test.cpp)
  foreach(source ${controller_tests})
    get_filename_component(name ${source} NAME_WE)
    set(target test_controller_${name})
    add_executable(${target} ${source})
    target_link_libraries(${target} PRIVATE kvcontroller kvtestwindow kvdemoshell erphost)
    add_dependencies(${target} qipt07_test_module QIPR07C)
    target_compile_definitions(${target} PRIVATE QIPR07_TEST_DATA="${CMAKE_CURRENT_SOURCE_DIR}/data"
                                                 QIPR07_BIN_DIR="${CMAKE_BINARY_DIR}/bin")
    gtest_discover_tests(${target}
      PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;ASAN_OPTIONS=detect_leaks=1"
      DISCOVERY_TIMEOUT 60)
  endforeach()
endif()
