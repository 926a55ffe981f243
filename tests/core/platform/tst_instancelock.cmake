tagscope_add_test(NAME tst_instancelock SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_instancelock.cpp)
