tagscope_add_test(NAME tst_removetree SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_removetree.cpp)
