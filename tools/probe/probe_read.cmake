# read: a book in a real text viewer, paginated by a real quirelet (build
# quirelet too).
if(TARGET vl_reader)
    list(APPEND vl_probe_libs vl_reader vl_res_engine)
endif()
