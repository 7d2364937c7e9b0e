vl_add_test(NAME tst_bookmodel SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_bookmodel.cpp LIBS vl_library)
