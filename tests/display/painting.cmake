# Painting the world into its raster.
vicinara_test(test_painting
  ${CMAKE_CURRENT_LIST_DIR}/world_image_test.cpp
)
target_link_libraries(test_painting PRIVATE vicinara_display)
