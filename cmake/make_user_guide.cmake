# Turns docs/user-guide.md into a page of its own:
#   cmake -DCMARK=... -DSOURCE=user-guide.md -DOUTPUT=user-guide.html -P make_user_guide.cmake
execute_process(COMMAND "${CMARK}" --extension table --to html "${SOURCE}"
                OUTPUT_VARIABLE body RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "cmark-gfm could not read ${SOURCE}")
endif()
file(WRITE "${OUTPUT}" "<!DOCTYPE html>
<html lang=\"en\">
<head>
<meta charset=\"utf-8\">
<title>AvelorW user guide</title>
<style>
body { max-width: 46em; margin: 2em auto; padding: 0 1em; font-family: sans-serif; line-height: 1.45; }
code, pre { font-family: monospace; background: #f2f4f7; }
pre { padding: 0.6em; overflow-x: auto; }
table { border-collapse: collapse; }
td, th { border: 1px solid #c8ced8; padding: 0.25em 0.6em; text-align: left; }
img { border: 1px solid #c8ced8; }
@media (prefers-color-scheme: dark) {
  body { background: #1d2128; color: #e2e6ec; }
  code, pre { background: #2a3039; }
  a { color: #8ab8f0; }
}
</style>
</head>
<body>
${body}</body>
</html>
")
