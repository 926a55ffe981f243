tagscope_add_test(NAME tst_exiftoolsession SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_exiftoolsession.cpp THREADS)
