# The PDF viewer: the widget that shows a PDF book's pages and prints it.
add_library(vl_pdfviewer STATIC
    ${CMAKE_CURRENT_LIST_DIR}/pdfviewer.cpp ${CMAKE_CURRENT_LIST_DIR}/pdfviewer.h
)
target_link_libraries(vl_pdfviewer
    PUBLIC vl_pdfdocument vl_widgets Qt5::Widgets
    PRIVATE vl_core Qt5::PrintSupport Qt5::Concurrent)
