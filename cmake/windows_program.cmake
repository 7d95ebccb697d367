# kivo.exe: a 32-bit GUI program that needs only system DLLs, small and the same bytes
# from the same sources wherever and whenever it is built.
enable_language(RC)

set(KIVO_ICON_FILE ${CMAKE_BINARY_DIR}/generated/kivo.ico)
set(KIVO_MANIFEST_FILE ${CMAKE_SOURCE_DIR}/resources/kivo.manifest)
add_custom_command(OUTPUT ${KIVO_ICON_FILE}
    COMMAND python3 ${CMAKE_SOURCE_DIR}/resources/make_icon.py ${KIVO_ICON_FILE}
    DEPENDS ${CMAKE_SOURCE_DIR}/resources/make_icon.py
    COMMENT "Drawing the icon")
configure_file(resources/kivo.rc.in ${CMAKE_BINARY_DIR}/generated/kivo.rc @ONLY)
set_source_files_properties(${CMAKE_BINARY_DIR}/generated/kivo.rc PROPERTIES
    OBJECT_DEPENDS "${KIVO_ICON_FILE};${KIVO_MANIFEST_FILE};${CMAKE_SOURCE_DIR}/resources/resource_ids.h")
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -c 65001 -I${CMAKE_SOURCE_DIR}/resources")

# Optimised for size, each function and datum in a section of its own so that the linker
# drops what nothing uses; no build path and no link time stamp in the file.
set(KIVO_RELEASE_FLAGS -Os -ffunction-sections -fdata-sections
    -ffile-prefix-map=${CMAKE_SOURCE_DIR}=. -ffile-prefix-map=${CMAKE_BINARY_DIR}=.)
target_compile_options(kivo_core PRIVATE ${KIVO_RELEASE_FLAGS})
add_executable(kivo WIN32 ${KIVO_WIN_SOURCES} ${CMAKE_BINARY_DIR}/generated/kivo.rc)
target_compile_options(kivo PRIVATE ${KIVO_RELEASE_FLAGS})
# WinINet and the IP helper are loaded at run time from the system folder, never through
# the import table: Windows would look for them beside kivo.exe first.
target_link_libraries(kivo PRIVATE kivo_core ole32 shell32 gdi32 user32)
target_link_options(kivo PRIVATE -static -mwindows -s -Wl,--gc-sections -Wl,--no-insert-timestamp)

# The Chinese user guide that ships beside kivo.exe: UTF-8 with a byte-order mark and
# CR LF line ends, so that Notepad on every Windows version shows it.
set(KIVO_GUIDE_PROTOCOLS "服务商只接受 TLS 1.2 或更新的协议时: Windows 8.1、10、11 可以直接连接; Windows 7 需要 IE11,或在\"Internet 选项 → 高级\"中勾选\"使用 TLS 1.2\"; Windows XP 和 Vista 无法连接。")
configure_file(resources/user_guide.txt.in ${CMAKE_BINARY_DIR}/使用说明.txt @ONLY NEWLINE_STYLE CRLF)
