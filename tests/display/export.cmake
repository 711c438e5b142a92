# Saving window pictures and the surface data: BMP, JPEG, .xls and the save itself.
vicinara_test(test_export
  ${CMAKE_CURRENT_LIST_DIR}/jpeg_test.cpp
)
target_link_libraries(test_export PRIVATE vicinara_display)
