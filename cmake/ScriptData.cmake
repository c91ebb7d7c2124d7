# Wraps a JSON file into a script that sets one global variable, so a page
# opened from a file can load it with a script tag.
# cmake -DINPUT=<json> -DOUTPUT=<js> -DNAME=<variable> -P ScriptData.cmake
file(READ ${INPUT} data)
file(WRITE ${OUTPUT} "window.${NAME} = ${data};\n")
