tagscope_add_test(NAME tst_consolerunner SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_consolerunner.cpp)
