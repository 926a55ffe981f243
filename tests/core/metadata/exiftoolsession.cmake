tagscope_add_test(NAME tst_exiftoolsession SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_exiftoolsession.cpp THREADS)
if(TAGSCOPE_SANITIZE STREQUAL "thread")
    # Once QProcess (Qt 6.4) has started a child, ThreadSanitizer takes the test for the child of a multi-threaded
    # fork and refuses to start any further thread, such as the one-shot command's worker.
    set_property(TEST tst_exiftoolsession APPEND PROPERTY ENVIRONMENT_MODIFICATION
        "TSAN_OPTIONS=string_append: die_after_fork=0")
endif()
