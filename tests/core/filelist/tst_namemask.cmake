tagscope_add_test(NAME tst_namemask SOURCES "${CMAKE_CURRENT_LIST_DIR}/tst_namemask.cpp")
