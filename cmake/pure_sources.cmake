# The launcher's pure logic: files free of operating-system calls, which the
# host builds (the fuzz targets and the sanitizer tests) compile for Linux.
# Paths are relative to the source tree's top.
set(CORVANELL_PURE_SOURCES
    javafind/jvm.cpp
    javafind/search_text.cpp
    javafind/version_text.cpp
    launcher/modes.cpp
    launcher/sequence_text.cpp
    payload/chunk_names.cpp
    process/output_text.cpp
    splash/progress_values.cpp)
