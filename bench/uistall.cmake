# The window's responsiveness during a scan; bench/uistall.sh runs it.
add_executable(tagscope-bench-uistall "${CMAKE_CURRENT_LIST_DIR}/uistallbench.cpp")
target_link_libraries(tagscope-bench-uistall PRIVATE tagscope_ui tagscope_versiondata tagscope_options)
set_target_properties(tagscope-bench-uistall PROPERTIES RUNTIME_OUTPUT_DIRECTORY "${TAGSCOPE_BENCH_DIR}")
