// Every row of a list of API tables, expanded through
//   YRL_HOST_ROW(form, kind, result, name, key, params, args)
// with form plain, no_context or dir, the three row forms of the tables. Define
// YRL_HOST_ROW before including this file; it is left defined.
//
// The list is the file YRL_HOST_API_LIST names, toolkit/api/api_tables.def (every table
// of the toolkit) unless the includer names another: a list in that file's shape, or a
// single table in the rows' format. The name is undefined again at the end, so that
// each inclusion names its own list. The toolkit's list comes with the rows of the
// hand-written entries (toolkit/binding/clnt_entries.def), so that the host offers
// every key the plug-in looks up; a list of the includer's own comes alone.
//
// A table added to the toolkit's list is served by the host with no change here, once
// the types its parameters name are declared: the header that declares them is included
// beside toolkit/tkbase.h below. A test's own table declares its types before it
// includes this file.

#include "toolkit/api/host_types.h"
#include "toolkit/tkbase.h"

#ifndef YRL_HOST_API_LIST
#define YRL_HOST_API_LIST "toolkit/api/api_tables.def"
#define YRL_HOST_HAND_WRITTEN "toolkit/binding/clnt_entries.def"
#endif
// A list includes the forms again before each of its tables; a single table finds them
// defined here.
#define YRL_API_FORMS "host/api/host_api_forms.h"
#include YRL_API_FORMS
#include YRL_HOST_API_LIST
#ifdef YRL_HOST_HAND_WRITTEN
#include YRL_API_FORMS
#include YRL_HOST_HAND_WRITTEN
#undef YRL_HOST_HAND_WRITTEN
#endif
#undef YRL_API_FORMS
#undef YRL_HOST_API_LIST
