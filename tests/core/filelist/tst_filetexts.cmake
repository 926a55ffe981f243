tagscope_add_test(NAME tst_filetexts SOURCES "${CMAKE_CURRENT_LIST_DIR}/tst_filetexts.cpp")
