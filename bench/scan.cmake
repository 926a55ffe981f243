# The scan benchmark and the generator of its file trees; bench/scan.sh runs them.
add_executable(tagscope-bench-scan "${CMAKE_CURRENT_LIST_DIR}/scanbench.cpp")
target_link_libraries(tagscope-bench-scan PRIVATE tagscope_core tagscope_options)
set_target_properties(tagscope-bench-scan PROPERTIES RUNTIME_OUTPUT_DIRECTORY "${TAGSCOPE_BENCH_DIR}")

add_executable(tagscope-maketree "${CMAKE_CURRENT_LIST_DIR}/maketree.cpp")
target_link_libraries(tagscope-maketree PRIVATE tagscope_options)
set_target_properties(tagscope-maketree PROPERTIES RUNTIME_OUTPUT_DIRECTORY "${TAGSCOPE_BENCH_DIR}")
