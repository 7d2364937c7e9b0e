list(APPEND vl_probe_libs vl_app vl_crashreporter)
