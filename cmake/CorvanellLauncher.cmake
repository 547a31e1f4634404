# corvanell_add_launcher(<target>
#     [INSTALLER_JAR <file>]       installer archive, embedded as JAR_1 ... (type JAR)
#     [RUNTIME_PACKAGE <file>]     runtime package, embedded as JAVA_1 ... (type EXE)
#     [OUTPUT_NAME <name>]         file name of the executable, without .exe
#     [MAIN <source>]              entry point (default launcher/main.cpp)
#     [RESOURCES <rc> ...]         further resource scripts to embed
#                                  (the artwork of resources/ and the version
#                                  block always are)
#     [DEPENDS <target> ...]       targets that produce the payload files
#     [SIGN])                      sign it when CORVANELL_SIGN_CERT is set
#
# Makes one launcher executable from the launcher code and a pair of
# payloads. The launcher is linked with LLD (see link_with_lld.py) without
# the payloads: its resource section holds the compiled resource scripts.
# Then, in the same build step, its debug information moves into
# <output name>.debug beside it, the payloads are cut into chunks and written
# into its resource section in one pass, which also sets the PE checksum
# (pack_payloads.py), with SIGN and a certificate it is signed, and a report
# of what was packaged is written next to it as <output name>.packaged.txt,
# ending with the executable's own SHA-256. The step runs again only when
# the code, a payload or the packaging scripts change.
function(corvanell_add_launcher target)
    cmake_parse_arguments(PARSE_ARGV 1 arg "SIGN" "INSTALLER_JAR;RUNTIME_PACKAGE;OUTPUT_NAME;MAIN" "RESOURCES;DEPENDS")
    if(NOT arg_OUTPUT_NAME)
        set(arg_OUTPUT_NAME ${target})
    endif()
    if(NOT arg_MAIN)
        set(arg_MAIN ${CORVANELL_SOURCE_DIR}/launcher/main.cpp)
    endif()

    set(report ${CMAKE_CURRENT_BINARY_DIR}/${arg_OUTPUT_NAME}.packaged.txt)
    set(debug_file ${CMAKE_CURRENT_BINARY_DIR}/${arg_OUTPUT_NAME}.debug)
    set(packer ${CORVANELL_SOURCE_DIR}/payload/pack_payloads.py)
    set(finisher ${CORVANELL_SOURCE_DIR}/payload/finish_launcher.py)
    set(linker ${CORVANELL_SOURCE_DIR}/cmake/link_with_lld.py)

    set(payload_args)
    set(payload_files)
    if(arg_RUNTIME_PACKAGE)
        list(APPEND payload_args --payload JAVA EXE ${arg_RUNTIME_PACKAGE})
        list(APPEND payload_files ${arg_RUNTIME_PACKAGE})
    endif()
    if(arg_INSTALLER_JAR)
        list(APPEND payload_args --payload JAR JAR ${arg_INSTALLER_JAR})
        list(APPEND payload_files ${arg_INSTALLER_JAR})
    endif()
    # Every launcher carries the artwork (title picture, progress strips,
    # step captions and icon) and the version block. The artwork script
    # names its files relative to the resources folder, which is on the
    # resource compiler's include path.
    set(artwork_dir ${CORVANELL_SOURCE_DIR}/resources)
    list(PREPEND arg_RESOURCES ${artwork_dir}/resources.rc ${CORVANELL_VERSION_RC})

    add_executable(${target} WIN32 ${arg_MAIN} ${arg_RESOURCES})
    # A changed picture recompiles the artwork script.
    file(GLOB artwork CONFIGURE_DEPENDS ${artwork_dir}/*.bmp ${artwork_dir}/*.ico)
    set_source_files_properties(${artwork_dir}/resources.rc TARGET_DIRECTORY ${target}
        PROPERTIES OBJECT_DEPENDS "${artwork}")
    target_include_directories(${target} PRIVATE ${artwork_dir})
    target_link_libraries(${target} PRIVATE corvanell_core)
    target_compile_options(${target} PRIVATE ${CORVANELL_PRODUCT_WARNINGS})
    corvanell_link_like_launcher(${target})
    set_target_properties(${target} PROPERTIES
        OUTPUT_NAME ${arg_OUTPUT_NAME}
        LINK_DEPENDS "${linker};${finisher};${packer};${payload_files}")

    set(sign_args)
    if(arg_SIGN AND CORVANELL_SIGN_CERT)
        set(sign_args --osslsigncode ${CORVANELL_OSSLSIGNCODE} --cert ${CORVANELL_SIGN_CERT})
        if(CORVANELL_SIGN_KEY)
            list(APPEND sign_args --key ${CORVANELL_SIGN_KEY})
        endif()
        if(CORVANELL_SIGN_PASSWORD_FILE)
            list(APPEND sign_args --password-file ${CORVANELL_SIGN_PASSWORD_FILE})
        endif()
    endif()
    add_custom_command(TARGET ${target} POST_BUILD
        COMMAND ${CORVANELL_PYTHON} ${finisher} --exe $<TARGET_FILE:${target}>
                --debug-file ${debug_file}
                --objcopy ${CMAKE_OBJCOPY} --report ${report}
                ${payload_args} ${sign_args}
        COMMENT "Packaging payloads into ${arg_OUTPUT_NAME}.exe"
        BYPRODUCTS ${report} ${debug_file}
        VERBATIM)
    if(arg_DEPENDS)
        add_dependencies(${target} ${arg_DEPENDS})
    endif()
endfunction()

# corvanell_link_like_launcher(<target>)
#
# Links an executable as a launcher is linked: statically, with LLD, with no
# time stamp and with its sections page-aligned in the file, so that the
# loader can map the image from the file instead of copying it.
function(corvanell_link_like_launcher target)
    target_link_options(${target} PRIVATE -static -static-libgcc -static-libstdc++
        -Wl,--no-insert-timestamp -Wl,--file-alignment=${CORVANELL_FILE_ALIGNMENT})
    set_target_properties(${target} PROPERTIES
        CXX_LINKER_LAUNCHER "${CORVANELL_PYTHON};${CORVANELL_SOURCE_DIR}/cmake/link_with_lld.py;${CORVANELL_LLD}")
endfunction()

# corvanell_check_payload(<variable> <demo file>)
#
# Stops the configuration when the payload named by the cache variable is
# missing or empty. The demo file is made by the build and is checked by the
# packaging step when it runs.
function(corvanell_check_payload variable demo)
    set(file "${${variable}}")
    if(file STREQUAL "")
        message(FATAL_ERROR "${variable} is empty: it must name a payload file")
    endif()
    if(file STREQUAL demo)
        return()
    endif()
    if(NOT EXISTS "${file}" OR IS_DIRECTORY "${file}")
        message(FATAL_ERROR "${variable}: payload file not found: ${file}")
    endif()
    file(SIZE "${file}" size)
    if(size EQUAL 0)
        message(FATAL_ERROR "${variable}: payload file is empty: ${file}")
    endif()
endfunction()

# The Windows form of a path of this machine, as Wine's drive Z: shows it.
function(corvanell_wine_path out path)
    string(REPLACE "/" "\\" windows "Z:${path}")
    set(${out} "${windows}" PARENT_SCOPE)
endfunction()

# corvanell_version_resource(<output rc>)
#
# Writes the resource script of the version block from the version cache
# variables. CORVANELL_VERSION must be one to four numbers of 0 to 65535
# separated by dots; the numeric version takes zeros for missing ones.
function(corvanell_version_resource output)
    if(NOT CORVANELL_VERSION MATCHES "^[0-9]+(\\.[0-9]+)?(\\.[0-9]+)?(\\.[0-9]+)?$")
        message(FATAL_ERROR "CORVANELL_VERSION must be one to four numbers separated by dots (like 1.2.0.7), not \"${CORVANELL_VERSION}\"")
    endif()
    string(REPLACE "." ";" numbers "${CORVANELL_VERSION}")
    foreach(number IN LISTS numbers)
        if(number GREATER 65535)
            message(FATAL_ERROR "CORVANELL_VERSION: each number must be at most 65535, not ${number}")
        endif()
    endforeach()
    list(LENGTH numbers count)
    while(count LESS 4)
        list(APPEND numbers 0)
        math(EXPR count "${count} + 1")
    endwhile()
    list(JOIN numbers "," corvanell_version_commas)
    set(corvanell_version "${CORVANELL_VERSION}")
    # Texts as resource-script strings: a backslash starts an escape and a
    # quote is written twice.
    foreach(name PRODUCT_NAME COMPANY_NAME FILE_DESCRIPTION COPYRIGHT)
        string(TOLOWER "corvanell_${name}" text)
        string(REPLACE "\\" "\\\\" escaped "${CORVANELL_${name}}")
        string(REPLACE "\"" "\"\"" ${text} "${escaped}")
    endforeach()
    configure_file(${CORVANELL_SOURCE_DIR}/resources/version.rc.in ${output} @ONLY)
endfunction()

# corvanell_check_signing()
#
# Stops the configuration when the signing variables name files that are not
# there, or a PEM certificate without its key. Without CORVANELL_SIGN_CERT
# nothing is signed. Finds osslsigncode when something is to be signed.
function(corvanell_check_signing)
    if(CORVANELL_SIGN_CERT STREQUAL "")
        foreach(variable CORVANELL_SIGN_KEY CORVANELL_SIGN_PASSWORD_FILE)
            if(NOT "${${variable}}" STREQUAL "")
                message(FATAL_ERROR "${variable} is set but CORVANELL_SIGN_CERT is empty: name the certificate too")
            endif()
        endforeach()
        return()
    endif()
    foreach(variable CORVANELL_SIGN_CERT CORVANELL_SIGN_KEY CORVANELL_SIGN_PASSWORD_FILE)
        set(file "${${variable}}")
        if(NOT file STREQUAL "" AND (NOT EXISTS "${file}" OR IS_DIRECTORY "${file}"))
            message(FATAL_ERROR "${variable}: file not found: ${file}")
        endif()
    endforeach()
    # A PEM file is text that begins with "-----BEGIN"; a PKCS#12 file is
    # binary and holds its key.
    file(READ "${CORVANELL_SIGN_CERT}" start LIMIT 64)
    string(FIND "${start}" "-----BEGIN" pem)
    if(pem EQUAL 0 AND CORVANELL_SIGN_KEY STREQUAL "")
        message(FATAL_ERROR "CORVANELL_SIGN_KEY is empty: the PEM certificate of CORVANELL_SIGN_CERT needs its private key")
    endif()
    find_program(CORVANELL_OSSLSIGNCODE osslsigncode)
    if(NOT CORVANELL_OSSLSIGNCODE)
        message(FATAL_ERROR "CORVANELL_SIGN_CERT is set but osslsigncode is not found (Debian package osslsigncode)")
    endif()
endfunction()
