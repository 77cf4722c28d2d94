#pragma once

// The library is built with hidden visibility; only what carries this macro is exported.
#if defined(_WIN32)
#if defined(WORKFLOW_UTILS_BUILDING)
#define WORKFLOW_UTILS_API __declspec(dllexport)
#else
#define WORKFLOW_UTILS_API __declspec(dllimport)
#endif
#else
#define WORKFLOW_UTILS_API __attribute__((visibility("default")))
#endif
