# The reading frame: the reading controller against a real library
# database, the tool bar and the context menu as widgets, and the frame and
# the viewer's input against real pagination helpers.
if(NOT TARGET vl_readingframe)
    return()
endif()

vl_add_test(NAME tst_usercontext SOURCES tst_usercontext.cpp LIBS vl_readingframe)
vl_add_test(NAME tst_readtoolbar SOURCES tst_readtoolbar.cpp LIBS vl_readingframe vl_res_style)
vl_add_test(NAME tst_textviewercontextmenu SOURCES tst_textviewercontextmenu.cpp
    LIBS vl_readingframe)
# A frame of their own for the tests of comics and PDF books in the frame.
add_library(vl_framefixture STATIC framefixture.cpp framefixture.h)
target_link_libraries(vl_framefixture PUBLIC vl_readingframe Qt5::Test)
if(TARGET vl_comicfixture)
    vl_add_test(NAME tst_comicframe SOURCES tst_comicframe.cpp
        LIBS vl_readingframe vl_framefixture vl_imageviewer vl_comicfixture vl_res_style)
endif()

if(NOT TARGET vl_zipfixture)
    return()
endif()
add_library(vl_readingfixture STATIC readingfixture.cpp readingfixture.h)
target_link_libraries(vl_readingfixture PUBLIC vl_readingframe vl_zipfixture Qt5::Test)
vl_add_test(NAME tst_textviewerinput SOURCES tst_textviewerinput.cpp
    LIBS vl_readingframe vl_readingfixture vl_res_engine)
if(TARGET quirelet)
    add_dependencies(tst_textviewerinput quirelet)
endif()
vl_add_test(NAME tst_bookviewer SOURCES tst_bookviewer.cpp
    LIBS vl_readingframe vl_readingfixture vl_app vl_res_engine vl_res_style)
if(TARGET quirelet)
    add_dependencies(tst_bookviewer quirelet)
endif()
if(TARGET vl_pdffixture AND TARGET vl_pdfviewer AND TARGET vl_readerpanels)
    vl_add_test(NAME tst_pdfframe SOURCES tst_pdfframe.cpp
        LIBS vl_readerpanels vl_readingframe vl_framefixture vl_pdfviewer vl_pdffixture vl_handover vl_res_style
             Qt5::PrintSupport)
endif()
