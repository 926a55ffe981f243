# Runs the ExifTool package of this build folder.
tagscope_add_test(NAME tst_deployment SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/tst_deployment.cpp
    ${CMAKE_CURRENT_LIST_DIR}/zipfixture.cpp ${CMAKE_CURRENT_LIST_DIR}/zipfixture.h)
target_link_libraries(tst_deployment PRIVATE PkgConfig::LIBZIP)
add_dependencies(tst_deployment exiftool_package)
