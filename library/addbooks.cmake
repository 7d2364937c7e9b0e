# Adding books (metadata, covers, the add-books worker) and the book model
# the library views share. No widgets: the worker runs on its own thread.
add_library(vl_library STATIC
    ${CMAKE_CURRENT_LIST_DIR}/addbooksworker.cpp ${CMAKE_CURRENT_LIST_DIR}/addbooksworker.h
    ${CMAKE_CURRENT_LIST_DIR}/bookmetadata.cpp ${CMAKE_CURRENT_LIST_DIR}/bookmetadata.h
    ${CMAKE_CURRENT_LIST_DIR}/bookmodel.cpp ${CMAKE_CURRENT_LIST_DIR}/bookmodel.h
)
target_include_directories(vl_library PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(vl_library
    PUBLIC vl_librarydb vl_appcore vl_paths Qt5::Core Qt5::Gui
    PRIVATE vl_archive vl_epub vl_fb2 vl_mobi)
