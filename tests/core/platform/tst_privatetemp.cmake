tagscope_add_test(NAME tst_privatetemp SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_privatetemp.cpp)
