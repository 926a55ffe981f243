tagscope_add_test(NAME tst_filerecords SOURCES "${CMAKE_CURRENT_LIST_DIR}/tst_filerecords.cpp" THREADS)
