# The library screen: search, proxies, category model and list, format list,
# book table and the screen itself.
vl_add_test(NAME tst_searchpattern SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_searchpattern.cpp
            LIBS vl_libraryview)
vl_add_test(NAME tst_booksortfiltermodel
            SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_booksortfiltermodel.cpp LIBS vl_libraryview)
vl_add_test(NAME tst_foldermodel SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_foldermodel.cpp
            LIBS vl_libraryview)
