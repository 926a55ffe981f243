# Runs the ExifTool package of this build folder.
tagscope_add_test(NAME tst_deployment SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/tst_deployment.cpp
    ${CMAKE_CURRENT_LIST_DIR}/zipfixture.cpp ${CMAKE_CURRENT_LIST_DIR}/zipfixture.h
    LIBRARIES PkgConfig::LIBZIP)
if(TARGET tst_deployment)
    add_dependencies(tst_deployment exiftool_package)
endif()
