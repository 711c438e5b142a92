# Saving window pictures (BMP, JPEG), the surface data (.xls) and films (MP4, GIF).
find_package(JPEG REQUIRED)
find_package(PkgConfig REQUIRED)
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
target_link_libraries(vicinara_display PRIVATE JPEG::JPEG ${CMAKE_DL_LIBS})

# The film encoders, a module loaded only when a film is made: FFmpeg brings
# about a hundred libraries whose loading would otherwise slow every start of
# the headless tool. The program that films decides where the module is
# built (beside it); vicinara_use_film_module links it beside other programs.
add_library(vicinara_film MODULE
  ${CMAKE_CURRENT_LIST_DIR}/film_encoders.cpp
  ${CMAKE_CURRENT_LIST_DIR}/file_output.cpp
)
# The colour conversion, on its own for its test.
add_library(vicinara_film_yuv STATIC ${CMAKE_CURRENT_LIST_DIR}/film_yuv.cpp)
target_include_directories(vicinara_film_yuv PUBLIC ${PROJECT_SOURCE_DIR})
set_target_properties(vicinara_film_yuv PROPERTIES POSITION_INDEPENDENT_CODE ON)
set_target_properties(vicinara_film PROPERTIES
  PREFIX "" OUTPUT_NAME vicinara-film SUFFIX ".so"
  CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
target_include_directories(vicinara_film PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(vicinara_film PRIVATE vicinara_film_yuv PkgConfig::FFMPEG GIF::GIF Threads::Threads)
target_link_options(vicinara_film PRIVATE -Wl,--as-needed -Wl,-O1)

# A program that films but does not lie beside the module (a test, a
# benchmark) gets a link to it in its own folder.
function(vicinara_use_film_module target)
  add_dependencies(${target} vicinara_film)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E create_symlink "$<TARGET_FILE:vicinara_film>"
      "$<TARGET_FILE_DIR:${target}>/$<TARGET_FILE_NAME:vicinara_film>"
    VERBATIM)
endfunction()

# The program ships with empty "pictures" and "data" folders beside its
# executable; saving never creates them. Call this for every program target.
function(vicinara_add_output_folders target)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E make_directory
      "$<TARGET_FILE_DIR:${target}>/pictures" "$<TARGET_FILE_DIR:${target}>/data"
    VERBATIM)
endfunction()
