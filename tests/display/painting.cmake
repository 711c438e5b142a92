# Painting the world into its raster.
vicinara_test(test_painting
  ${CMAKE_CURRENT_LIST_DIR}/world_image_test.cpp
)
target_link_libraries(test_painting PRIVATE vicinara_display)

# The headless tool's street layouts and snapshots, and their PNG files.
vicinara_test(test_snapshot
  ${CMAKE_CURRENT_LIST_DIR}/snapshot_test.cpp
)
target_link_libraries(test_snapshot PRIVATE vicinara_cli_commands vicinara_display)
