# erp-host: everything but main() is a library, so the tests drive HostApp,
# its windows and the session in-process.
file(GLOB ERP_HOST_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
list(REMOVE_ITEM ERP_HOST_SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/HostMain.cpp)
add_library(erphost STATIC ${ERP_HOST_SOURCES})
target_include_directories(erphost PUBLIC ${CMAKE_CURRENT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/src
                                          ${PROJECT_SOURCE_DIR}/appserver)
target_link_libraries(erphost PUBLIC slipobjects kvlib kvplatform Qt6::Widgets ${CMAKE_DL_LIBS})

add_executable(erp-host HostMain.cpp)
target_link_libraries(erp-host PRIVATE erphost)
# The host runs the module it is built with by default (QIPR07C.so beside it).
if(TARGET QIPR07C)
  add_dependencies(erp-host QIPR07C)
endif()
