// The libcurl functions the installer calls, each forwarding to the library opened on first use.
// A library that cannot be opened (or lacks a function) fails the first call with
// std::runtime_error naming it; the callers' initialisation already turns that into their error.
#define CURL_DISABLE_TYPECHECK  // the forwarding functions below are the ones the checks wrap
#include <curl/curl.h>
#include <dlfcn.h>

#include <cstdarg>
#include <stdexcept>
#include <string>

namespace {

// Every function forwarded, named once: the table's members and the lookups follow from it.
// clang-format off
#define VELORA_CURL_FUNCTIONS(X) \
    X(curl_global_init) \
    X(curl_easy_init) \
    X(curl_easy_cleanup) \
    X(curl_easy_setopt) \
    X(curl_easy_perform) \
    X(curl_easy_getinfo) \
    X(curl_easy_header) \
    X(curl_easy_strerror) \
    X(curl_easy_escape) \
    X(curl_free) \
    X(curl_slist_append) \
    X(curl_slist_free_all) \
    X(curl_multi_init) \
    X(curl_multi_cleanup) \
    X(curl_multi_add_handle) \
    X(curl_multi_remove_handle) \
    X(curl_multi_perform) \
    X(curl_multi_poll) \
    X(curl_multi_wakeup) \
    X(curl_multi_info_read) \
    X(curl_multi_strerror) \
    X(curl_url) \
    X(curl_url_cleanup) \
    X(curl_url_get) \
    X(curl_url_set)
// clang-format on

struct CurlFunctions {
#define VELORA_CURL_MEMBER(name) decltype(&::name) name = nullptr;
    VELORA_CURL_FUNCTIONS(VELORA_CURL_MEMBER)
#undef VELORA_CURL_MEMBER
};

template <class Function>
void find(void* library, Function& function, const char* name) {
    void* const address = ::dlsym(library, name);
    if (address == nullptr)
        throw std::runtime_error(std::string("Cannot load libcurl: it has no ") + name +
                                 " (version 7.83 or later is needed)");
    function = reinterpret_cast<Function>(address);
}

CurlFunctions load() {
    // Never closed, as linking it would: libcurl's global state must outlive every handle.
    void* const library = ::dlopen(VELORA_CURL_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) throw std::runtime_error(std::string("Cannot load libcurl: ") + ::dlerror());
    CurlFunctions functions;
#define VELORA_CURL_FIND(name) find(library, functions.name, #name);
    VELORA_CURL_FUNCTIONS(VELORA_CURL_FIND)
#undef VELORA_CURL_FIND
    return functions;
}

// Opened by the first call from any thread; a failed opening is tried again by the next call.
const CurlFunctions& curl() {
    static const CurlFunctions functions = load();
    return functions;
}

}  // namespace

extern "C" {

CURLcode curl_global_init(long flags) { return curl().curl_global_init(flags); }
CURL* curl_easy_init() { return curl().curl_easy_init(); }
void curl_easy_cleanup(CURL* handle) { curl().curl_easy_cleanup(handle); }
CURLcode curl_easy_perform(CURL* handle) { return curl().curl_easy_perform(handle); }
const char* curl_easy_strerror(CURLcode code) { return curl().curl_easy_strerror(code); }
char* curl_easy_escape(CURL* handle, const char* text, int length) {
    return curl().curl_easy_escape(handle, text, length);
}
CURLHcode curl_easy_header(CURL* handle, const char* name, size_t index, unsigned int origin, int request,
                           struct curl_header** header) {
    return curl().curl_easy_header(handle, name, index, origin, request, header);
}
void curl_free(void* pointer) { curl().curl_free(pointer); }
struct curl_slist* curl_slist_append(struct curl_slist* list, const char* text) {
    return curl().curl_slist_append(list, text);
}
void curl_slist_free_all(struct curl_slist* list) { curl().curl_slist_free_all(list); }

// The two variadic functions keep libcurl's own signatures, whose last named parameter is an
// enumeration. In C, where libcurl defines them, that parameter is compatible with the int it is
// passed as; C++ does not say so, and clang warns about va_start. Every ABI libcurl supports passes
// the enumeration exactly as an int, as libcurl itself relies on.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wvarargs"

// The option's number says which type its value has; the value is read back as that type, so it
// reaches libcurl exactly as the caller passed it.
CURLcode curl_easy_setopt(CURL* handle, CURLoption option, ...) {
    std::va_list arguments;
    va_start(arguments, option);
    CURLcode result;
    if (option < CURLOPTTYPE_OBJECTPOINT) {
        result = curl().curl_easy_setopt(handle, option, va_arg(arguments, long));
    } else if (option < CURLOPTTYPE_FUNCTIONPOINT) {
        result = curl().curl_easy_setopt(handle, option, va_arg(arguments, void*));
    } else if (option < CURLOPTTYPE_OFF_T) {
        using AnyFunction = void (*)();
        result = curl().curl_easy_setopt(handle, option, va_arg(arguments, AnyFunction));
    } else if (option < CURLOPTTYPE_BLOB) {
        result = curl().curl_easy_setopt(handle, option, va_arg(arguments, curl_off_t));
    } else {
        result = curl().curl_easy_setopt(handle, option, va_arg(arguments, void*));
    }
    va_end(arguments);
    return result;
}

// Every piece of information is written through a pointer of the type the caller chose.
CURLcode curl_easy_getinfo(CURL* handle, CURLINFO info, ...) {
    std::va_list arguments;
    va_start(arguments, info);
    const CURLcode result = curl().curl_easy_getinfo(handle, info, va_arg(arguments, void*));
    va_end(arguments);
    return result;
}

#pragma GCC diagnostic pop

CURLM* curl_multi_init() { return curl().curl_multi_init(); }
CURLMcode curl_multi_cleanup(CURLM* multi) { return curl().curl_multi_cleanup(multi); }
CURLMcode curl_multi_add_handle(CURLM* multi, CURL* handle) {
    return curl().curl_multi_add_handle(multi, handle);
}
CURLMcode curl_multi_remove_handle(CURLM* multi, CURL* handle) {
    return curl().curl_multi_remove_handle(multi, handle);
}
CURLMcode curl_multi_perform(CURLM* multi, int* running) { return curl().curl_multi_perform(multi, running); }
CURLMcode curl_multi_poll(CURLM* multi, struct curl_waitfd extra[], unsigned int count, int timeout,
                          int* ready) {
    return curl().curl_multi_poll(multi, extra, count, timeout, ready);
}
CURLMcode curl_multi_wakeup(CURLM* multi) { return curl().curl_multi_wakeup(multi); }
CURLMsg* curl_multi_info_read(CURLM* multi, int* queued) {
    return curl().curl_multi_info_read(multi, queued);
}
const char* curl_multi_strerror(CURLMcode code) { return curl().curl_multi_strerror(code); }

CURLU* curl_url() { return curl().curl_url(); }
void curl_url_cleanup(CURLU* address) { curl().curl_url_cleanup(address); }
CURLUcode curl_url_get(CURLU* address, CURLUPart part, char** text, unsigned int flags) {
    return curl().curl_url_get(address, part, text, flags);
}
CURLUcode curl_url_set(CURLU* address, CURLUPart part, const char* text, unsigned int flags) {
    return curl().curl_url_set(address, part, text, flags);
}

}  // extern "C"
