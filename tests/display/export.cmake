# Saving window pictures and the surface data: BMP, JPEG, .xls and the save itself.
vicinara_test(test_export
  ${CMAKE_CURRENT_LIST_DIR}/bitmap_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/jpeg_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/save_windows_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/xls_test.cpp
)
target_link_libraries(test_export PRIVATE vicinara_display)
# The .xls files are read back by an independent reader: xlrd under Debian's python.
target_compile_definitions(test_export PRIVATE
  VICINARA_READ_XLS_SCRIPT="${CMAKE_CURRENT_LIST_DIR}/read_xls.py")

# Films of a run, read back with FFmpeg and giflib.
find_package(GIF REQUIRED)
vicinara_test(test_film
  ${CMAKE_CURRENT_LIST_DIR}/film_test.cpp
)
target_link_libraries(test_film PRIVATE vicinara_cli_commands vicinara_display vicinara_film_yuv PkgConfig::FFMPEG GIF::GIF)
vicinara_use_film_module(test_film)
add_dependencies(test_film vicinara-cli)
target_compile_definitions(test_film PRIVATE VICINARA_CLI_PATH="$<TARGET_FILE:vicinara-cli>")
target_compile_definitions(test_film PRIVATE VICINARA_READ_XLS_SCRIPT="${CMAKE_CURRENT_LIST_DIR}/read_xls.py")
