# The metadata report benchmark; bench/metadata.sh runs it.
add_executable(tagscope-bench-metadata "${CMAKE_CURRENT_LIST_DIR}/metadatabench.cpp")
target_link_libraries(tagscope-bench-metadata PRIVATE tagscope_core tagscope_options)
set_target_properties(tagscope-bench-metadata PROPERTIES RUNTIME_OUTPUT_DIRECTORY "${TAGSCOPE_BENCH_DIR}")
