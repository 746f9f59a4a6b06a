kinoleaf_library(kinoleaf_folders volumes.cpp drive_list_box.cpp dir_list_box.cpp)
target_link_libraries(kinoleaf_folders PUBLIC kinoleaf_platform_core Qt6::Widgets)
