list(APPEND vl_probe_libs vl_archive vl_comics vl_formatfactory vl_epub vl_fb2 vl_mobi vl_document vl_core)
