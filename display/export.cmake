# Saving window pictures (BMP, JPEG), the surface data (.xls) and films (MP4, GIF).
find_package(JPEG REQUIRED)
find_package(PkgConfig REQUIRED)
pkg_check_modules(GSF REQUIRED IMPORTED_TARGET libgsf-1)
# Films: H.264 in MP4 through FFmpeg's libraries, animated GIF through giflib.
pkg_check_modules(FFMPEG REQUIRED IMPORTED_TARGET GLOBAL libavformat libavcodec libswscale libavutil)
find_package(GIF REQUIRED)

target_sources(vicinara_display PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/bitmap.cpp
  ${CMAKE_CURRENT_LIST_DIR}/file_output.cpp
  ${CMAKE_CURRENT_LIST_DIR}/film.cpp
  ${CMAKE_CURRENT_LIST_DIR}/jpeg.cpp
  ${CMAKE_CURRENT_LIST_DIR}/save_windows.cpp
  ${CMAKE_CURRENT_LIST_DIR}/xls.cpp
)
target_link_libraries(vicinara_display PRIVATE JPEG::JPEG PkgConfig::GSF PkgConfig::FFMPEG GIF::GIF Threads::Threads)

# The program ships with empty "pictures" and "data" folders beside its
# executable; saving never creates them. Call this for every program target.
function(vicinara_add_output_folders target)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E make_directory
      "$<TARGET_FILE_DIR:${target}>/pictures" "$<TARGET_FILE_DIR:${target}>/data"
    VERBATIM)
endfunction()
