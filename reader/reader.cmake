# The reading view's text viewer: the web view with its script bridge and
# pagination client, the side files, the page navigation bar, the note and
# bookmark records and the reading operations hub.
if(NOT TARGET Qt5::WebKitWidgets)
    message(WARNING "Qt WebKit not found: the text viewer is not built")
    return()
endif()

add_library(vl_reader STATIC
    ${CMAKE_CURRENT_LIST_DIR}/bookoperations.cpp ${CMAKE_CURRENT_LIST_DIR}/bookoperations.h
    ${CMAKE_CURRENT_LIST_DIR}/booksidefiles.cpp ${CMAKE_CURRENT_LIST_DIR}/booksidefiles.h
    ${CMAKE_CURRENT_LIST_DIR}/note.cpp ${CMAKE_CURRENT_LIST_DIR}/note.h
    ${CMAKE_CURRENT_LIST_DIR}/pagenavigationpanel.cpp ${CMAKE_CURRENT_LIST_DIR}/pagenavigationpanel.h
    ${CMAKE_CURRENT_LIST_DIR}/pagenavigationslider.cpp ${CMAKE_CURRENT_LIST_DIR}/pagenavigationslider.h
    ${CMAKE_CURRENT_LIST_DIR}/pagenavigationtooltip.cpp ${CMAKE_CURRENT_LIST_DIR}/pagenavigationtooltip.h
    ${CMAKE_CURRENT_LIST_DIR}/readingstate.cpp ${CMAKE_CURRENT_LIST_DIR}/readingstate.h
    ${CMAKE_CURRENT_LIST_DIR}/textviewer.cpp ${CMAKE_CURRENT_LIST_DIR}/textviewer.h
    ${CMAKE_CURRENT_LIST_DIR}/viewerbookmark.h
    ${CMAKE_CURRENT_LIST_DIR}/viewerpage.cpp ${CMAKE_CURRENT_LIST_DIR}/viewerpage.h
)
target_link_libraries(vl_reader
    PUBLIC vl_pagination vl_webpolicy vl_document vl_librarydb vl_core
           Qt5::Widgets Qt5::Network Qt5::WebKit Qt5::WebKitWidgets
    PRIVATE vl_formatfactory vl_epub vl_archive vl_widgets vl_core)
# Each document class whose reader is built shows its converted files.
if(TARGET vl_fb2)
    target_link_libraries(vl_reader PRIVATE vl_fb2)
    target_compile_definitions(vl_reader PRIVATE VL_HAVE_FB2)
endif()
if(TARGET vl_mobi)
    target_link_libraries(vl_reader PRIVATE vl_mobi)
    target_compile_definitions(vl_reader PRIVATE VL_HAVE_MOBI)
endif()
# The viewer starts the helper beside the program; build it with the viewer.
if(TARGET quirelet)
    add_dependencies(vl_reader quirelet)
endif()
