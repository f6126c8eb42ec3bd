# Warnings every target of the project is built with.
function(flit_set_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow)
    if(FLIT_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()
