# pdf-info, pdf-render: a PDF file through the PDF engine and its library.
list(APPEND vl_probe_libs vl_pdfengine)
