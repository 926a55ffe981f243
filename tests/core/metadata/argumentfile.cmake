tagscope_add_test(NAME tst_argumentfile SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_argumentfile.cpp)
