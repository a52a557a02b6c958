# QIPR07C.so: the report module. Its one export is GetController; the file
# name is fixed (no "lib" prefix) because the program code is derived from
# it. The controller's sources are an object library so that the test module
# of the controller tests is built from the very same code.
file(GLOB KV_CONTROLLER_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
add_library(kvcontroller OBJECT ${KV_CONTROLLER_SOURCES})
target_include_directories(kvcontroller PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(kvcontroller PUBLIC kvreportoptions)

# Links a report module: the controller (its objects, linked directly), the
# given sources and libraries, with only GetController exported. Everything
# else stays inside the module, so its copies of the shared code never mix
# with the host's.
function(qipr07_add_module target output_name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${target} SHARED ${ARG_SOURCES})
  target_link_libraries(${target} PRIVATE kvcontroller ${ARG_LIBS})
  set_target_properties(${target} PROPERTIES PREFIX "" OUTPUT_NAME ${output_name} SUFFIX ".so"
                        LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
  target_link_options(${target} PRIVATE
    "LINKER:--version-script=${PROJECT_SOURCE_DIR}/src/controller/GetController.map"
    "LINKER:--no-undefined")
endfunction()

# The report's main block (which registers the report window class) joins
# the module when the report is built.
if(TARGET kvqipr07)
  qipr07_add_module(QIPR07C QIPR07C LIBS "$<LINK_LIBRARY:WHOLE_ARCHIVE,kvqipr07>")
else()
  qipr07_add_module(QIPR07C QIPR07C)
endif()
