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

struct CurlFunctions {
    decltype(&curl_global_init) globalInit;
    decltype(&curl_easy_init) easyInit;
    decltype(&curl_easy_cleanup) easyCleanup;
    decltype(&curl_easy_setopt) easySetopt;
    decltype(&curl_easy_perform) easyPerform;
    decltype(&curl_easy_getinfo) easyGetinfo;
    decltype(&curl_easy_header) easyHeader;
    decltype(&curl_easy_strerror) easyStrerror;
    decltype(&curl_easy_escape) easyEscape;
    decltype(&curl_free) free;
    decltype(&curl_slist_append) slistAppend;
    decltype(&curl_slist_free_all) slistFreeAll;
    decltype(&curl_multi_init) multiInit;
    decltype(&curl_multi_cleanup) multiCleanup;
    decltype(&curl_multi_add_handle) multiAddHandle;
    decltype(&curl_multi_remove_handle) multiRemoveHandle;
    decltype(&curl_multi_perform) multiPerform;
    decltype(&curl_multi_poll) multiPoll;
    decltype(&curl_multi_wakeup) multiWakeup;
    decltype(&curl_multi_info_read) multiInfoRead;
    decltype(&curl_multi_strerror) multiStrerror;
    decltype(&curl_url) url;
    decltype(&curl_url_cleanup) urlCleanup;
    decltype(&curl_url_get) urlGet;
    decltype(&curl_url_set) urlSet;
};

class CurlLibrary {
public:
    CurlLibrary() {
        // Kept open for the life of the process, as linking it would: libcurl's global state
        // must outlive every handle.
        handle_ = ::dlopen(VELORA_CURL_LIBRARY, RTLD_NOW | RTLD_LOCAL);
        if (handle_ == nullptr) throw std::runtime_error(std::string("Cannot load libcurl: ") + ::dlerror());
        find(functions_.globalInit, "curl_global_init");
        find(functions_.easyInit, "curl_easy_init");
        find(functions_.easyCleanup, "curl_easy_cleanup");
        find(functions_.easySetopt, "curl_easy_setopt");
        find(functions_.easyPerform, "curl_easy_perform");
        find(functions_.easyGetinfo, "curl_easy_getinfo");
        find(functions_.easyHeader, "curl_easy_header");
        find(functions_.easyStrerror, "curl_easy_strerror");
        find(functions_.easyEscape, "curl_easy_escape");
        find(functions_.free, "curl_free");
        find(functions_.slistAppend, "curl_slist_append");
        find(functions_.slistFreeAll, "curl_slist_free_all");
        find(functions_.multiInit, "curl_multi_init");
        find(functions_.multiCleanup, "curl_multi_cleanup");
        find(functions_.multiAddHandle, "curl_multi_add_handle");
        find(functions_.multiRemoveHandle, "curl_multi_remove_handle");
        find(functions_.multiPerform, "curl_multi_perform");
        find(functions_.multiPoll, "curl_multi_poll");
        find(functions_.multiWakeup, "curl_multi_wakeup");
        find(functions_.multiInfoRead, "curl_multi_info_read");
        find(functions_.multiStrerror, "curl_multi_strerror");
        find(functions_.url, "curl_url");
        find(functions_.urlCleanup, "curl_url_cleanup");
        find(functions_.urlGet, "curl_url_get");
        find(functions_.urlSet, "curl_url_set");
    }

    const CurlFunctions& functions() const { return functions_; }

private:
    template <class Function>
    void find(Function& function, const char* name) {
        void* const address = ::dlsym(handle_, name);
        if (address == nullptr)
            throw std::runtime_error(std::string("Cannot load libcurl: it has no ") + name +
                                     " (version 7.83 or later is needed)");
        function = reinterpret_cast<Function>(address);
    }

    void* handle_ = nullptr;
    CurlFunctions functions_{};
};

// Opened by the first call from any thread; a failed opening is tried again by the next call.
const CurlFunctions& curl() {
    static const CurlLibrary library;
    return library.functions();
}

}  // namespace

extern "C" {

CURLcode curl_global_init(long flags) { return curl().globalInit(flags); }
CURL* curl_easy_init() { return curl().easyInit(); }
void curl_easy_cleanup(CURL* handle) { curl().easyCleanup(handle); }
CURLcode curl_easy_perform(CURL* handle) { return curl().easyPerform(handle); }
const char* curl_easy_strerror(CURLcode code) { return curl().easyStrerror(code); }
char* curl_easy_escape(CURL* handle, const char* text, int length) {
    return curl().easyEscape(handle, text, length);
}
CURLHcode curl_easy_header(CURL* handle, const char* name, size_t index, unsigned int origin, int request,
                           struct curl_header** header) {
    return curl().easyHeader(handle, name, index, origin, request, header);
}
void curl_free(void* pointer) { curl().free(pointer); }
struct curl_slist* curl_slist_append(struct curl_slist* list, const char* text) {
    return curl().slistAppend(list, text);
}
void curl_slist_free_all(struct curl_slist* list) { curl().slistFreeAll(list); }

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
        result = curl().easySetopt(handle, option, va_arg(arguments, long));
    } else if (option < CURLOPTTYPE_FUNCTIONPOINT) {
        result = curl().easySetopt(handle, option, va_arg(arguments, void*));
    } else if (option < CURLOPTTYPE_OFF_T) {
        using AnyFunction = void (*)();
        result = curl().easySetopt(handle, option, va_arg(arguments, AnyFunction));
    } else if (option < CURLOPTTYPE_BLOB) {
        result = curl().easySetopt(handle, option, va_arg(arguments, curl_off_t));
    } else {
        result = curl().easySetopt(handle, option, va_arg(arguments, void*));
    }
    va_end(arguments);
    return result;
}

// Every piece of information is written through a pointer of the type the caller chose.
CURLcode curl_easy_getinfo(CURL* handle, CURLINFO info, ...) {
    std::va_list arguments;
    va_start(arguments, info);
    const CURLcode result = curl().easyGetinfo(handle, info, va_arg(arguments, void*));
    va_end(arguments);
    return result;
}

#pragma GCC diagnostic pop

CURLM* curl_multi_init() { return curl().multiInit(); }
CURLMcode curl_multi_cleanup(CURLM* multi) { return curl().multiCleanup(multi); }
CURLMcode curl_multi_add_handle(CURLM* multi, CURL* handle) { return curl().multiAddHandle(multi, handle); }
CURLMcode curl_multi_remove_handle(CURLM* multi, CURL* handle) {
    return curl().multiRemoveHandle(multi, handle);
}
CURLMcode curl_multi_perform(CURLM* multi, int* running) { return curl().multiPerform(multi, running); }
CURLMcode curl_multi_poll(CURLM* multi, struct curl_waitfd extra[], unsigned int count, int timeout,
                          int* ready) {
    return curl().multiPoll(multi, extra, count, timeout, ready);
}
CURLMcode curl_multi_wakeup(CURLM* multi) { return curl().multiWakeup(multi); }
CURLMsg* curl_multi_info_read(CURLM* multi, int* queued) { return curl().multiInfoRead(multi, queued); }
const char* curl_multi_strerror(CURLMcode code) { return curl().multiStrerror(code); }

CURLU* curl_url() { return curl().url(); }
void curl_url_cleanup(CURLU* address) { curl().urlCleanup(address); }
CURLUcode curl_url_get(CURLU* address, CURLUPart part, char** text, unsigned int flags) {
    return curl().urlGet(address, part, text, flags);
}
CURLUcode curl_url_set(CURLU* address, CURLUPart part, const char* text, unsigned int flags) {
    return curl().urlSet(address, part, text, flags);
}

}  // extern "C"
