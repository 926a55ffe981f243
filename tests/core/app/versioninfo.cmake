tagscope_add_test(NAME tst_versioninfo SOURCES "${CMAKE_CURRENT_LIST_DIR}/tst_versioninfo.cpp")
# The test reads the version data of its own executable, so it carries the program's block.
if(TARGET tst_versioninfo)
    target_link_libraries(tst_versioninfo PRIVATE tagscope_versiondata)
endif()
