# The PDF reading document: the book as the reading view and the library
# see it (pages, contents, search, password prompt, information). No
# widgets, so the add-books worker and the print job use it off the GUI
# thread.
add_library(vl_pdfdocument STATIC
    ${CMAKE_CURRENT_LIST_DIR}/pdfdocument.cpp ${CMAKE_CURRENT_LIST_DIR}/pdfdocument.h
    ${CMAKE_CURRENT_LIST_DIR}/pdfprintjob.cpp ${CMAKE_CURRENT_LIST_DIR}/pdfprintjob.h
)
target_link_libraries(vl_pdfdocument
    PUBLIC vl_pdfengine vl_document Qt5::Gui
    PRIVATE vl_handover vl_core Qt5::Concurrent)
