# book-menu, book-properties, book-edit: the book menu, the properties
# dialog and the editor over the user's library, with screenshots.
list(APPEND vl_probe_libs vl_libraryview vl_widgets vl_res_style)
