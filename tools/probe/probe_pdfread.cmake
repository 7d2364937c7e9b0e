# read BOOK.pdf and frame BOOK.pdf: a PDF book in the PDF viewer.
list(APPEND vl_probe_libs vl_pdfviewer vl_handover)
