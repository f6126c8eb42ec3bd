# Sanitizer builds: FLIT_SANITIZE holds a comma-separated list handed to -fsanitize=, for example
# "address,undefined" or "thread". Empty (the default) builds without sanitizers.
#
# The flags go on every target defined after this file is included (the engine, the reader, the
# tools, the tests and the benchmarks), on both the compile and the link lines, so that every
# object file of ours is instrumented and the matching runtime is linked. Libraries we do not
# build (wxWidgets, GTK, GLib, GoogleTest) stay uninstrumented; the suppressions files in
# tests/sanitizers cover what the runtimes report inside them.
#
# UndefinedBehaviorSanitizer only prints a finding and goes on by default; with
# -fno-sanitize-recover the process stops with an error instead, so a finding fails its test.

if(NOT FLIT_SANITIZE)
    return()
endif()

if(NOT CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    message(FATAL_ERROR "FLIT_SANITIZE needs GCC or Clang (compiler: ${CMAKE_CXX_COMPILER_ID})")
endif()

string(REPLACE "," ";" _flit_sanitizers "${FLIT_SANITIZE}")
set(_flit_known address undefined thread leak)
foreach(_flit_sanitizer IN LISTS _flit_sanitizers)
    if(NOT _flit_sanitizer IN_LIST _flit_known)
        message(FATAL_ERROR
            "FLIT_SANITIZE: unknown sanitizer '${_flit_sanitizer}' (known: ${_flit_known})")
    endif()
endforeach()
if("thread" IN_LIST _flit_sanitizers AND
   ("address" IN_LIST _flit_sanitizers OR "leak" IN_LIST _flit_sanitizers))
    message(FATAL_ERROR "FLIT_SANITIZE: thread cannot be combined with address or leak")
endif()

set(_flit_sanitize_flags -fsanitize=${FLIT_SANITIZE} -fno-omit-frame-pointer -g)
if("undefined" IN_LIST _flit_sanitizers)
    list(APPEND _flit_sanitize_flags -fno-sanitize-recover=undefined)
endif()

add_compile_options(${_flit_sanitize_flags})
add_link_options(${_flit_sanitize_flags})

message(STATUS "FlitEngine: sanitizers ${FLIT_SANITIZE} (${_flit_sanitize_flags})")

unset(_flit_sanitizers)
unset(_flit_known)
unset(_flit_sanitize_flags)
