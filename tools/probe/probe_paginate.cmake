# paginate: a real quirelet run through the shared block (build quirelet too).
list(APPEND vl_probe_libs vl_pagerproto vl_res_engine)
