# library-view: the library screen over the user's library, with a screenshot.
list(APPEND vl_probe_libs vl_libraryview vl_widgets vl_res_style)
