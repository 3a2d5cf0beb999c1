# The movie control: the frame clock is portable (tested natively); the control
# itself is a Win32 child window around the SWF player.
add_library(wd_saver_clock INTERFACE)
target_include_directories(wd_saver_clock INTERFACE ${PROJECT_SOURCE_DIR})

if(WIN32)
  add_library(wd_saver_movie STATIC ${CMAKE_CURRENT_LIST_DIR}/movie_control.cpp)
  target_include_directories(wd_saver_movie PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(wd_saver_movie PUBLIC wd_saver_clock wd_swf wd_platform gdi32 user32)
endif()
