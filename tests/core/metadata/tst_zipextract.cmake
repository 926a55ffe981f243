tagscope_add_test(NAME tst_zipextract SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/tst_zipextract.cpp
    ${CMAKE_CURRENT_LIST_DIR}/zipfixture.cpp ${CMAKE_CURRENT_LIST_DIR}/zipfixture.h
    LIBRARIES PkgConfig::LIBZIP)
