# Compile settings shared by every target of ours: strict warnings, Qt string safety, optional sanitizers.
function(corvane_target_defaults target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
    target_compile_definitions(${target} PRIVATE
        QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII QT_NO_CAST_FROM_BYTEARRAY
        QT_NO_URL_CAST_FROM_STRING QT_NO_NARROWING_CONVERSIONS_IN_CONNECT QT_NO_KEYWORDS)
    if(CORVANE_SANITIZE)
        # Without UBSan's vptr check: it reads the process's memory maps through the file system, so under
        # the exhausted descriptor and process limits the end-to-end tests set on purpose it reports
        # objects it could not inspect as invalid.
        target_compile_options(${target} PRIVATE -fsanitize=address,undefined -fno-sanitize=vptr
                                                 -fno-sanitize-recover=all -fno-omit-frame-pointer)
        target_link_options(${target} PRIVATE -fsanitize=address,undefined)
    endif()
endfunction()
