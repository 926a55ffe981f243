tagscope_add_test(NAME tst_metadatareport SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_metadatareport.cpp)
