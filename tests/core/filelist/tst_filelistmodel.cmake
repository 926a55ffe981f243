tagscope_add_test(NAME tst_filelistmodel SOURCES "${CMAKE_CURRENT_LIST_DIR}/tst_filelistmodel.cpp" THREADS)
