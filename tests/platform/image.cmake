foreach(_t decoder cache widget quick_preview)
  kinoleaf_test(test_image_${_t} test_image_${_t}.cpp LIBS kinoleaf_image kinoleaf_image_samples)
endforeach()
