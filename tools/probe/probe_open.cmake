list(APPEND vl_probe_libs vl_formatfactory vl_epub vl_document)
