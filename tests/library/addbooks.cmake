vl_add_test(NAME tst_bookmodel SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_bookmodel.cpp LIBS vl_library)
vl_add_test(NAME tst_addbooksworker SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_addbooksworker.cpp
            LIBS vl_library vl_zipfixture vl_mobitestwriter vl_paths vl_appcore)
