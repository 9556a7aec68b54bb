# Warnings are errors in both builds.
add_compile_options(
    $<$<COMPILE_LANGUAGE:CXX>:-Wall>
    $<$<COMPILE_LANGUAGE:CXX>:-Wextra>
    $<$<COMPILE_LANGUAGE:CXX>:-Wpedantic>
    $<$<COMPILE_LANGUAGE:CXX>:-Wshadow>
    $<$<COMPILE_LANGUAGE:CXX>:-Wnon-virtual-dtor>
    $<$<COMPILE_LANGUAGE:CXX>:-Woverloaded-virtual>
    $<$<COMPILE_LANGUAGE:CXX>:-Wcast-qual>
    $<$<COMPILE_LANGUAGE:CXX>:-Wformat=2>
    $<$<COMPILE_LANGUAGE:CXX>:-Wimplicit-fallthrough>
    $<$<COMPILE_LANGUAGE:CXX>:-Werror>)

if(WIN32)
    # 32-bit Windows: SSE2 on (the default target is x87 only), ANSI Win32,
    # everything linked in so the programs need no extra DLLs.
    add_compile_options($<$<COMPILE_LANGUAGE:CXX>:-msse2> $<$<COMPILE_LANGUAGE:CXX>:-mfpmath=sse>)
    add_compile_definitions(NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
    add_link_options(-static -static-libgcc -static-libstdc++)
elseif(ORISCOPE_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all
                        -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
endif()
