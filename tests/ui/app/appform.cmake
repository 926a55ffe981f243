tagscope_add_test(NAME tst_appform SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_appform.cpp UI)
