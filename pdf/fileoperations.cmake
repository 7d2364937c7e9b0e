# The engine's whole-file operations: probe, render to files, merge,
# encrypt, split.
target_sources(vl_pdfengine PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/documentinfo.h
    ${CMAKE_CURRENT_LIST_DIR}/documentpermissions.h
    ${CMAKE_CURRENT_LIST_DIR}/documentfileoperations.cpp
    ${CMAKE_CURRENT_LIST_DIR}/documentsplit.cpp
)
