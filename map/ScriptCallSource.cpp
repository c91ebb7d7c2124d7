#include "map/ScriptCallSource.h"

#include "map/ScriptErrors.h"

#include <array>

std::string jsonStringLiteral(const std::string& text) {
    static constexpr std::array<char, 16> hex = {'0', '1', '2', '3', '4', '5', '6', '7',
                                                 '8', '9', 'a', 'b', 'c', 'd', 'e', 'f'};
    std::string out = "\"";
    out.reserve(text.size() + 2);
    for (size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c == 0x7f) {
            out += "\\u00";
            out += hex[c >> 4];
            out += hex[c & 0xf];
        } else if (c == 0xe2 && i + 2 < text.size() && static_cast<unsigned char>(text[i + 1]) == 0x80 &&
                   (static_cast<unsigned char>(text[i + 2]) == 0xa8 ||
                    static_cast<unsigned char>(text[i + 2]) == 0xa9)) {
            // U+2028 and U+2029 end a line in older script engines.
            out += static_cast<unsigned char>(text[i + 2]) == 0xa8 ? "\\u2028" : "\\u2029";
            i += 2;
        } else {
            out += static_cast<char>(c);
        }
    }
    out += '"';
    return out;
}

std::string scriptCallSource(const std::string& function, const std::vector<std::string>& arguments) {
    std::string list = "[";
    for (size_t i = 0; i < arguments.size(); ++i) {
        if (i > 0) list += ',';
        list += jsonStringLiteral(arguments[i]);
    }
    list += ']';
    const std::string unknown = std::to_string(SCRIPT_E_UNKNOWN_NAME);
    const std::string exception = std::to_string(SCRIPT_E_EXCEPTION);
    return "(function(name,args){"
           "var f=window[name];"
           "if(typeof f!=='function')return{code:" +
           unknown +
           ",detail:'',value:''};"
           "var r;"
           "try{r=f.apply(window,args);}"
           "catch(e){var d='';try{d=String(e);}catch(x){}return{code:" +
           exception +
           ",detail:d,value:''};}"
           "var v='';"
           "try{if(r!==undefined)v=JSON.stringify(r);}catch(x){}"
           "if(typeof v!=='string')v='';"
           "return{code:0,detail:'',value:v};"
           "})(" +
           jsonStringLiteral(function) + "," + list + ")";
}

std::string scriptCallsSource(const std::vector<ScriptCall>& calls) {
    std::string list = "[";
    for (size_t i = 0; i < calls.size(); ++i) {
        if (i > 0) list += ',';
        list += '[' + jsonStringLiteral(calls[i].function) + ",[";
        for (size_t j = 0; j < calls[i].arguments.size(); ++j) {
            if (j > 0) list += ',';
            list += jsonStringLiteral(calls[i].arguments[j]);
        }
        list += "]]";
    }
    list += ']';
    const std::string unknown = std::to_string(SCRIPT_E_UNKNOWN_NAME);
    const std::string exception = std::to_string(SCRIPT_E_EXCEPTION);
    return "(function(calls){"
           "var out={code:0,detail:'',value:''};"
           "for(var i=0;i<calls.length;i++){"
           "var f=window[calls[i][0]];"
           "if(typeof f!=='function'){if(out.code===0)out={code:" +
           unknown +
           ",detail:'',value:''};continue;}"
           "try{f.apply(window,calls[i][1]);}"
           "catch(e){if(out.code===0){var d='';try{d=String(e);}catch(x){}out={code:" +
           exception +
           ",detail:d,value:''};}}"
           "}"
           "return out;"
           "})(" +
           list + ")";
}
