# notes, search, toc, bookmarks: the reading panels over a book in the
# reading frame, paginated by a real quirelet.
if(TARGET vl_readerpanels)
    list(APPEND vl_probe_libs vl_readerpanels vl_readingframe vl_res_engine vl_res_style)
endif()
