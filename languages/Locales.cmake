# The languages the dialog can show: each has languages/<locale>/varnel_<locale>.ts.
# The catalogue lookup (settings/), the build of the catalogues (app/) and the
# tests all read this one list.
set(VARNEL_LOCALES cs_CZ de_DE en_US es_ES fr_FR hu_HU it_IT ja_JP ko_KR pl_PL pt_PT
    ru_RU tr_TR zh_CN zh_TW)
