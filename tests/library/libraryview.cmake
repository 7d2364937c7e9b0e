# The library screen: search, proxies, category model and list, format list,
# book table and the screen itself.
vl_add_test(NAME tst_searchpattern SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_searchpattern.cpp
            LIBS vl_libraryview)
vl_add_test(NAME tst_booksortfiltermodel
            SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_booksortfiltermodel.cpp LIBS vl_libraryview)
vl_add_test(NAME tst_foldermodel SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_foldermodel.cpp
            LIBS vl_libraryview)
vl_add_test(NAME tst_listformats SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_listformats.cpp
            LIBS vl_libraryview vl_widgets)
vl_add_test(NAME tst_booktable SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_booktable.cpp
            LIBS vl_libraryview vl_res_style)
vl_add_test(NAME tst_folderlistview SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_folderlistview.cpp
            LIBS vl_libraryview vl_res_style)
vl_add_test(NAME tst_libraryview SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_libraryview.cpp
            LIBS vl_libraryview vl_widgets vl_res_style)
