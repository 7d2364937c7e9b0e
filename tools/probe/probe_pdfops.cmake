# pdf-probe, pdf-render-files, pdf-page-image, pdf-merge, pdf-encrypt,
# pdf-split: the PDF engine's whole-file operations.
list(APPEND vl_probe_libs vl_pdfengine)
