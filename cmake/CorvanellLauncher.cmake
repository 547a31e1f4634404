# corvanell_add_launcher(<target>
#     [INSTALLER_JAR <file>]       installer archive, embedded as JAR_1 ... (type JAR)
#     [RUNTIME_PACKAGE <file>]     runtime package, embedded as JAVA_1 ... (type EXE)
#     [OUTPUT_NAME <name>]         file name of the executable, without .exe
#     [RESOURCES <rc> ...]         further resource scripts to embed
#                                  (the artwork of resources/ always is)
#     [DEPENDS <target> ...])      targets that produce the payload files
#
# Makes one launcher executable from the launcher code and a pair of
# payloads. The packaging step cuts each payload into chunks and writes a
# resource script; it runs inside the normal build and again only when a
# payload (or the packer) changes. A report of what was packaged is written
# next to the executable as <output name>.packaged.txt.
function(corvanell_add_launcher target)
    cmake_parse_arguments(PARSE_ARGV 1 arg "" "INSTALLER_JAR;RUNTIME_PACKAGE;OUTPUT_NAME" "RESOURCES;DEPENDS")
    if(NOT arg_OUTPUT_NAME)
        set(arg_OUTPUT_NAME ${target})
    endif()

    set(work ${CMAKE_CURRENT_BINARY_DIR}/${target}.payload)
    set(rc ${work}/payload.rc)
    set(report ${CMAKE_CURRENT_BINARY_DIR}/${arg_OUTPUT_NAME}.packaged.txt)
    set(packer ${CORVANELL_SOURCE_DIR}/payload/pack_payloads.py)

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
    # Every launcher carries the artwork: title picture, progress strips,
    # step captions and icon. Its script names its files relative to the
    # resources folder, which is on the resource compiler's include path.
    set(artwork_dir ${CORVANELL_SOURCE_DIR}/resources)
    list(PREPEND arg_RESOURCES ${artwork_dir}/resources.rc)
    set(include_args)
    foreach(script IN LISTS arg_RESOURCES)
        list(APPEND include_args --include ${script})
    endforeach()

    add_custom_command(
        OUTPUT ${rc} ${report}
        COMMAND ${CORVANELL_PYTHON} ${packer} --out-dir ${work} --rc ${rc} --report ${report}
                ${include_args} ${payload_args}
        DEPENDS ${packer} ${payload_files} ${arg_RESOURCES}
        COMMENT "Packaging payloads into ${arg_OUTPUT_NAME}.exe"
        VERBATIM)

    add_executable(${target} WIN32 ${CORVANELL_SOURCE_DIR}/launcher/main.cpp ${rc})
    # The pictures are read by the resource compiler, not by the packer: a
    # changed picture recompiles the script without cutting the payloads again.
    file(GLOB artwork CONFIGURE_DEPENDS ${artwork_dir}/*.bmp ${artwork_dir}/*.ico)
    set_source_files_properties(${rc} TARGET_DIRECTORY ${target} PROPERTIES OBJECT_DEPENDS "${artwork}")
    target_include_directories(${target} PRIVATE ${artwork_dir})
    target_link_libraries(${target} PRIVATE corvanell_core)
    target_compile_options(${target} PRIVATE ${CORVANELL_PRODUCT_WARNINGS})
    target_link_options(${target} PRIVATE -static -static-libgcc -static-libstdc++)
    set_target_properties(${target} PROPERTIES OUTPUT_NAME ${arg_OUTPUT_NAME})
    if(arg_DEPENDS)
        add_dependencies(${target} ${arg_DEPENDS})
    endif()
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
