# The common configuration every target of the project links to.
add_library(tagscope_options INTERFACE)
target_compile_features(tagscope_options INTERFACE cxx_std_20)
target_compile_options(tagscope_options INTERFACE
    -Wall -Wextra -Wpedantic -Wold-style-cast -Wnon-virtual-dtor -Woverloaded-virtual)
target_compile_definitions(tagscope_options INTERFACE
    QT_NO_CAST_FROM_ASCII
    QT_NO_NARROWING_CONVERSIONS_IN_CONNECT)
if(TAGSCOPE_WERROR)
    target_compile_options(tagscope_options INTERFACE -Werror)
endif()

if(TAGSCOPE_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
        message(FATAL_ERROR "TAGSCOPE_FUZZ needs clang: configure a build folder of its own with CC=clang CXX=clang++")
    endif()
    # The fuzz targets look for memory errors and undefined behaviour with every input.
    if(NOT TAGSCOPE_SANITIZE)
        set(TAGSCOPE_SANITIZE "address,undefined")
    elseif(TAGSCOPE_SANITIZE STREQUAL "thread")
        message(FATAL_ERROR "TAGSCOPE_FUZZ cannot be combined with TAGSCOPE_SANITIZE=thread")
    endif()
    # Coverage instrumentation for every target of the project, so that libFuzzer sees which branches of our code an
    # input reaches; only the fuzz targets link libFuzzer itself (-fsanitize=fuzzer).
    target_compile_options(tagscope_options INTERFACE -fsanitize=fuzzer-no-link)
endif()

if(TAGSCOPE_SANITIZE)
    if(TAGSCOPE_SANITIZE STREQUAL "thread")
        set(_tagscope_san -fsanitize=thread)
    elseif(TAGSCOPE_SANITIZE MATCHES "^(address|undefined)(,(address|undefined))?$")
        set(_tagscope_san -fsanitize=${TAGSCOPE_SANITIZE})
        if(TAGSCOPE_SANITIZE MATCHES "undefined")
            # A report of undefined behaviour must fail the test that triggered it.
            list(APPEND _tagscope_san -fno-sanitize-recover=undefined)
        endif()
    else()
        message(FATAL_ERROR "TAGSCOPE_SANITIZE must be 'address,undefined', 'address', 'undefined' or 'thread'")
    endif()
    target_compile_options(tagscope_options INTERFACE ${_tagscope_san} -fno-omit-frame-pointer)
    target_link_options(tagscope_options INTERFACE ${_tagscope_san})
endif()
