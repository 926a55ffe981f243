tagscope_add_test(NAME tst_metadatawindow SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_metadatawindow.cpp UI THREADS)
