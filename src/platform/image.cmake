# The picture box, its decoder and the preview cache it shares.
kinoleaf_library(kinoleaf_image
  preview_decoder.cpp
  exif_thumbnail.cpp
  quick_preview.cpp
  preview_cache.cpp
  image_loader.cpp
  aic_alpha_image.cpp
)
target_link_libraries(kinoleaf_image PUBLIC kinoleaf_platform_core Qt6::Widgets Qt6::Concurrent)

# Sample pages for tests and measurements only.
kinoleaf_library(kinoleaf_image_samples image_gif_encoder.cpp image_exif_writer.cpp)
target_link_libraries(kinoleaf_image_samples PUBLIC Qt6::Gui)
