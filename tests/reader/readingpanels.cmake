# The reading companions: the notes model and export without a page, the
# panels as widgets, and notes, bookmarks and search in a real viewer.
if(NOT TARGET vl_readerpanels)
    return()
endif()

vl_add_test(NAME tst_notesmodel SOURCES tst_notesmodel.cpp LIBS vl_readerpanels)
vl_add_test(NAME tst_notesexport SOURCES tst_notesexport.cpp LIBS vl_reader)
vl_add_test(NAME tst_notetooltip SOURCES tst_notetooltip.cpp LIBS vl_readingframe vl_reader)
if(TARGET vl_readingfixture)
    vl_add_test(NAME tst_readingcompanions SOURCES tst_readingcompanions.cpp
        LIBS vl_readerpanels vl_readingfixture vl_res_engine vl_res_style)
    if(TARGET quirelet)
        add_dependencies(tst_readingcompanions quirelet)
    endif()
endif()
vl_add_test(NAME tst_readingpanels SOURCES tst_readingpanels.cpp LIBS vl_readerpanels vl_res_style)
