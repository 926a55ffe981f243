tagscope_add_test(NAME tst_scanwindow SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_scanwindow.cpp UI THREADS)
