list(APPEND vl_probe_libs vl_widgets vl_res_style)
