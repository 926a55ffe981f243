tagscope_add_test(NAME tst_appvalues SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_appvalues.cpp)
