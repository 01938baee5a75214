// Forwarding functions: host API functions that the application calls, with typed
// parameters (rows in app.def).
#pragma once

#include "toolkit/api/host_types.h"
#include "toolkit/tkbase.h"

#include "toolkit/api/api_declare.inc"
#include "toolkit/api/app.def"

// The message functions take up to ten values for the message's placeholders, each by
// address (a string by its pointer). A caller names only the values its message uses;
// the rest are null. The defaults live in these redeclarations, not in the rows, so the
// definitions and the host's function type built from the rows keep the full list: the
// host always gets ten values and reads only as many as the message's format uses.
VynError VynMessageDisplay(const VynWchar* file, const char* key, const void* v1 = nullptr,
                           const void* v2 = nullptr, const void* v3 = nullptr,
                           const void* v4 = nullptr, const void* v5 = nullptr,
                           const void* v6 = nullptr, const void* v7 = nullptr,
                           const void* v8 = nullptr, const void* v9 = nullptr,
                           const void* v10 = nullptr);
VynError VynMessageToBuffer(VynWchar* buffer, const VynWchar* file, const char* key,
                            const void* v1 = nullptr, const void* v2 = nullptr,
                            const void* v3 = nullptr, const void* v4 = nullptr,
                            const void* v5 = nullptr, const void* v6 = nullptr,
                            const void* v7 = nullptr, const void* v8 = nullptr,
                            const void* v9 = nullptr, const void* v10 = nullptr);
