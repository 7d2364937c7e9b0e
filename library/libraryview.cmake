# The library screen: the category model, the sort and format proxies, the
# book table, the format list, the category list and the screen itself.
set(vl_libraryview_dir ${CMAKE_CURRENT_LIST_DIR})
add_library(vl_libraryview STATIC
    ${vl_libraryview_dir}/bookformatfilter.cpp ${vl_libraryview_dir}/bookformatfilter.h
    ${vl_libraryview_dir}/bookmenu.cpp ${vl_libraryview_dir}/bookmenu.h
    ${vl_libraryview_dir}/bookshelf.cpp ${vl_libraryview_dir}/bookshelf.h
    ${vl_libraryview_dir}/booksortfiltermodel.cpp ${vl_libraryview_dir}/booksortfiltermodel.h
    ${vl_libraryview_dir}/booktable.cpp ${vl_libraryview_dir}/booktable.h
    ${vl_libraryview_dir}/booktabledelegate.cpp ${vl_libraryview_dir}/booktabledelegate.h
    ${vl_libraryview_dir}/booktableheader.cpp ${vl_libraryview_dir}/booktableheader.h
    ${vl_libraryview_dir}/folderdelegate.cpp ${vl_libraryview_dir}/folderdelegate.h
    ${vl_libraryview_dir}/foldereditor.cpp ${vl_libraryview_dir}/foldereditor.h
    ${vl_libraryview_dir}/folderlistview.cpp ${vl_libraryview_dir}/folderlistview.h
    ${vl_libraryview_dir}/foldermodel.cpp ${vl_libraryview_dir}/foldermodel.h
    ${vl_libraryview_dir}/libraryview.cpp ${vl_libraryview_dir}/libraryview.h
    ${vl_libraryview_dir}/libraryviewactions.cpp
    ${vl_libraryview_dir}/libraryviewparts.cpp ${vl_libraryview_dir}/libraryviewparts.h
    ${vl_libraryview_dir}/listformats.cpp ${vl_libraryview_dir}/listformats.h
    ${vl_libraryview_dir}/searchpattern.cpp ${vl_libraryview_dir}/searchpattern.h
)
target_include_directories(vl_libraryview PUBLIC ${vl_libraryview_dir})
target_link_libraries(vl_libraryview
    PUBLIC vl_library vl_librarydb vl_pages vl_appcore Qt5::Widgets
    PRIVATE vl_widgets)
