list(APPEND vl_probe_libs vl_libraryworkers)
