tagscope_add_test(NAME tst_pictures SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_pictures.cpp UI)
