tagscope_add_test(NAME tst_filesearcher SOURCES "${CMAKE_CURRENT_LIST_DIR}/tst_filesearcher.cpp" THREADS)
