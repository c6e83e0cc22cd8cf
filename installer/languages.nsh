; The installer's own texts; the pages' texts come with the Modern UI.

LangString StartLumora ${LANG_ENGLISH} "Start Lumora"
LangString StartLumora ${LANG_SIMPCHINESE} "运行 Lumora"

LangString CloseForSetup ${LANG_ENGLISH} "Lumora is running. It will be closed so that Setup can continue."
LangString CloseForSetup ${LANG_SIMPCHINESE} "Lumora 正在运行，需要先关闭它才能继续安装。"

LangString CloseForRemoval ${LANG_ENGLISH} "Lumora is running. It will be closed so that it can be removed."
LangString CloseForRemoval ${LANG_SIMPCHINESE} "Lumora 正在运行，需要先关闭它才能卸载。"

LangString LumoraStillRuns ${LANG_ENGLISH} "Lumora could not be closed. Close it, then choose Retry."
LangString LumoraStillRuns ${LANG_SIMPCHINESE} "无法关闭 Lumora。请先关闭它，然后点击“重试”。"

LangString SetupRuns ${LANG_ENGLISH} "Lumora Setup is already running."
LangString SetupRuns ${LANG_SIMPCHINESE} "Lumora 安装程序已在运行。"
