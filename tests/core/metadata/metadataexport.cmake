tagscope_add_test(NAME tst_metadataexport SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_metadataexport.cpp)
