# The reading frame: the page that hosts the viewer of the open book, the
# reading controller, the reading tool bar, the text viewer's input and
# navigation, and the menu over a selection or a note.
if(NOT TARGET vl_reader)
    return()
endif()

add_library(vl_readingframe STATIC
    ${CMAKE_CURRENT_LIST_DIR}/bookviewer.cpp ${CMAKE_CURRENT_LIST_DIR}/bookviewer.h
    ${CMAKE_CURRENT_LIST_DIR}/custommenuitemaction.cpp ${CMAKE_CURRENT_LIST_DIR}/custommenuitemaction.h
    ${CMAKE_CURRENT_LIST_DIR}/messagepresenter.cpp ${CMAKE_CURRENT_LIST_DIR}/messagepresenter.h
    ${CMAKE_CURRENT_LIST_DIR}/readtoolbar.cpp ${CMAKE_CURRENT_LIST_DIR}/readtoolbar.h
    ${CMAKE_CURRENT_LIST_DIR}/textviewercontextmenu.cpp ${CMAKE_CURRENT_LIST_DIR}/textviewercontextmenu.h
    ${CMAKE_CURRENT_LIST_DIR}/textviewerinput.cpp ${CMAKE_CURRENT_LIST_DIR}/textviewerinput.h
    ${CMAKE_CURRENT_LIST_DIR}/tooltippushbutton.cpp ${CMAKE_CURRENT_LIST_DIR}/tooltippushbutton.h
    ${CMAKE_CURRENT_LIST_DIR}/usercontext.cpp ${CMAKE_CURRENT_LIST_DIR}/usercontext.h
)
target_link_libraries(vl_readingframe
    PUBLIC vl_reader vl_pages vl_widgets vl_librarymodel vl_libraryworkers vl_librarydb vl_core
           Qt5::Widgets Qt5::WebKitWidgets
    PRIVATE vl_imageviewer vl_pdfviewer)
# A plain-text book is read again in the encoding the reader picks.
if(TARGET vl_fb2)
    target_link_libraries(vl_readingframe PRIVATE vl_fb2)
    target_compile_definitions(vl_readingframe PRIVATE VL_HAVE_FB2)
endif()
