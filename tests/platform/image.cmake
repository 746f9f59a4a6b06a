foreach(_t decoder cache widget quick_preview)
  kinoleaf_test(test_image_${_t} test_image_${_t}.cpp LIBS kinoleaf_image kinoleaf_image_samples)
endforeach()

# The EXIF fuzz target replays its committed corpus, as the text ones do.
add_executable(fuzz_exif_thumbnail_corpus ${PROJECT_SOURCE_DIR}/fuzz/fuzz_exif_thumbnail.cpp
               ${PROJECT_SOURCE_DIR}/fuzz/corpus_main.cpp)
target_link_libraries(fuzz_exif_thumbnail_corpus PRIVATE kinoleaf_image)
add_test(NAME fuzz_exif_thumbnail_corpus
         COMMAND fuzz_exif_thumbnail_corpus ${PROJECT_SOURCE_DIR}/fuzz/corpus/exif_thumbnail)
set_tests_properties(fuzz_exif_thumbnail_corpus PROPERTIES
  ENVIRONMENT "QT_QPA_PLATFORM=offscreen;ASAN_OPTIONS=detect_leaks=0" TIMEOUT 300)
