#pragma once

// Classes of the platform components are used from the workflow library, which is built with
// hidden visibility. Their type information and virtual tables must stay visible, or an
// exception thrown by a component would not be caught by its type inside the library.
#if defined(_WIN32)
#define COMPONENT_API
#else
#define COMPONENT_API __attribute__((visibility("default")))
#endif
