# paginate: a real quirelet run through the shared block (build quirelet too).
list(APPEND vl_probe_libs vl_pagination vl_res_engine)
