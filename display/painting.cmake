# Painting the world into the panel's raster, and the PNG pictures of it.
find_package(PNG REQUIRED)
target_sources(vicinara_display PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/world_image.cpp
  ${CMAKE_CURRENT_LIST_DIR}/png_file.cpp
)
target_link_libraries(vicinara_display PUBLIC PNG::PNG)
