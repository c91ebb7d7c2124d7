#include "evidence/OpenSsl.h"

#include <openssl/err.h>

#include <climits>

namespace OpenSsl {

Bio memory(std::string_view bytes) {
    return Bio(BIO_new_mem_buf(bytes.data(), bytes.size() > INT_MAX ? INT_MAX : static_cast<int>(bytes.size())));
}

std::string errors() {
    std::string text;
    const char* data = nullptr;
    int flags = 0;
    for (unsigned long code; (code = ERR_get_error_all(nullptr, nullptr, nullptr, &data, &flags)) != 0;) {
        char line[256];
        ERR_error_string_n(code, line, sizeof line);
        if (!text.empty()) text += "; ";
        text += line;
        if (data != nullptr && (flags & ERR_TXT_STRING) != 0 && *data != '\0') text += std::string(" (") + data + ")";
    }
    return text;
}

std::string sha256(std::string_view bytes) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    if (EVP_Digest(bytes.data(), bytes.size(), digest, &size, EVP_sha256(), nullptr) != 1) return {};
    return std::string(reinterpret_cast<const char*>(digest), size);
}

std::string hex(std::string_view bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (const unsigned char c : bytes) {
        text += digits[c >> 4];
        text += digits[c & 15];
    }
    return text;
}

std::string nameText(const X509_NAME* name) {
    Bio out(BIO_new(BIO_s_mem()));
    if (!out || name == nullptr) return {};
    X509_NAME_print_ex(out.get(), name, 0, XN_FLAG_ONELINE);
    char* data = nullptr;
    const long size = BIO_get_mem_data(out.get(), &data);
    return size > 0 ? std::string(data, static_cast<size_t>(size)) : std::string();
}

Store trustStore(const std::string& caFile, std::string& reason) {
    Store store(X509_STORE_new());
    if (!store) {
        reason = "out of memory";
        return {};
    }
    const bool loaded = caFile.empty() ? X509_STORE_set_default_paths(store.get()) == 1
                                       : X509_STORE_load_file(store.get(), caFile.c_str()) == 1;
    if (!loaded) {
        const std::string why = errors();
        reason = (caFile.empty() ? std::string("cannot read the system's authorities")
                                 : "cannot read the authorities in " + caFile) +
                 (why.empty() ? "" : " (" + why + ")");
        return {};
    }
    return store;
}

}  // namespace OpenSsl
