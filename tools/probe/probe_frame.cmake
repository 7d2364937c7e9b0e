# frame: a book in the reading frame with its tool bar and reading
# controller, paginated by a real quirelet, or a comic in the image viewer.
if(TARGET vl_readingframe)
    list(APPEND vl_probe_libs vl_readingframe vl_imageviewer vl_res_engine vl_res_style)
endif()
