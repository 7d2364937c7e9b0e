# The reading companions: the note balloon and markers in the text viewer,
# and the four panels the main window slides in over the page (contents and
# bookmarks, notes, search).
if(NOT TARGET vl_readingframe)
    return()
endif()

target_sources(vl_reader PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/noteeditor.cpp ${CMAKE_CURRENT_LIST_DIR}/noteeditor.h
    ${CMAKE_CURRENT_LIST_DIR}/notepagelabel.cpp ${CMAKE_CURRENT_LIST_DIR}/notepagelabel.h
    ${CMAKE_CURRENT_LIST_DIR}/notesexport.cpp ${CMAKE_CURRENT_LIST_DIR}/notesexport.h
    ${CMAKE_CURRENT_LIST_DIR}/notetooltip.cpp ${CMAKE_CURRENT_LIST_DIR}/notetooltip.h
    ${CMAKE_CURRENT_LIST_DIR}/textviewernotes.cpp
)

add_library(vl_readerpanels STATIC
    ${CMAKE_CURRENT_LIST_DIR}/bookmarklistviewdelegate.cpp ${CMAKE_CURRENT_LIST_DIR}/bookmarklistviewdelegate.h
    ${CMAKE_CURRENT_LIST_DIR}/bookmarkmodel.cpp ${CMAKE_CURRENT_LIST_DIR}/bookmarkmodel.h
    ${CMAKE_CURRENT_LIST_DIR}/bookmarktable.cpp ${CMAKE_CURRENT_LIST_DIR}/bookmarktable.h
    ${CMAKE_CURRENT_LIST_DIR}/bookmarktabledelegate.cpp ${CMAKE_CURRENT_LIST_DIR}/bookmarktabledelegate.h
    ${CMAKE_CURRENT_LIST_DIR}/comboboxcoloritemdelegate.cpp ${CMAKE_CURRENT_LIST_DIR}/comboboxcoloritemdelegate.h
    ${CMAKE_CURRENT_LIST_DIR}/notesmodel.cpp ${CMAKE_CURRENT_LIST_DIR}/notesmodel.h
    ${CMAKE_CURRENT_LIST_DIR}/notesortfiltermodel.cpp ${CMAKE_CURRENT_LIST_DIR}/notesortfiltermodel.h
    ${CMAKE_CURRENT_LIST_DIR}/notesview.cpp ${CMAKE_CURRENT_LIST_DIR}/notesview.h
    ${CMAKE_CURRENT_LIST_DIR}/notetreeview.cpp ${CMAKE_CURRENT_LIST_DIR}/notetreeview.h
    ${CMAKE_CURRENT_LIST_DIR}/notetreeviewdelegate.cpp ${CMAKE_CURRENT_LIST_DIR}/notetreeviewdelegate.h
    ${CMAKE_CURRENT_LIST_DIR}/panelconfirmation.cpp ${CMAKE_CURRENT_LIST_DIR}/panelconfirmation.h
    ${CMAKE_CURRENT_LIST_DIR}/readerpanelparts.cpp ${CMAKE_CURRENT_LIST_DIR}/readerpanelparts.h
    ${CMAKE_CURRENT_LIST_DIR}/searchedit.cpp ${CMAKE_CURRENT_LIST_DIR}/searchedit.h
    ${CMAKE_CURRENT_LIST_DIR}/searchmodel.cpp ${CMAKE_CURRENT_LIST_DIR}/searchmodel.h
    ${CMAKE_CURRENT_LIST_DIR}/searchtable.cpp ${CMAKE_CURRENT_LIST_DIR}/searchtable.h
    ${CMAKE_CURRENT_LIST_DIR}/searchtabledelegate.cpp ${CMAKE_CURRENT_LIST_DIR}/searchtabledelegate.h
    ${CMAKE_CURRENT_LIST_DIR}/searchview.cpp ${CMAKE_CURRENT_LIST_DIR}/searchview.h
    ${CMAKE_CURRENT_LIST_DIR}/tocmodel.cpp ${CMAKE_CURRENT_LIST_DIR}/tocmodel.h
    ${CMAKE_CURRENT_LIST_DIR}/toctreeview.cpp ${CMAKE_CURRENT_LIST_DIR}/toctreeview.h
    ${CMAKE_CURRENT_LIST_DIR}/toctreeviewdelegate.cpp ${CMAKE_CURRENT_LIST_DIR}/toctreeviewdelegate.h
    ${CMAKE_CURRENT_LIST_DIR}/tocview.cpp ${CMAKE_CURRENT_LIST_DIR}/tocview.h
)
target_link_libraries(vl_readerpanels
    PUBLIC vl_readingframe vl_reader vl_pages vl_widgets vl_librarydb vl_core Qt5::Widgets)
