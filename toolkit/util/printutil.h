// Values as text and files named after models: status names, model types and their file
// extensions, the entity file of a model, the file-name check, the host's file-open
// dialog, element ids and their names, and indented dumps of curve and surface data.
#pragma once

#include <cstdio>

#include "toolkit/api/host_types.h"
#include "toolkit/tkbase.h"

struct VynCurvedata;
struct VynSurfacedata;
struct VynIntfData;

// Writes the name of status ("NOT_FOUND") or, for a status without one, its number into
// text (room for VYN_UTIL_ERR_TEXT_SIZE bytes). 0.
int VynUtilErrPrint(VynError status, char* text);
constexpr int VYN_UTIL_ERR_TEXT_SIZE = 16;

// The model type of a three-letter extension, compared without regard to case; -2 for
// one the table does not hold.
int VynUtilGetVynType(const char* extension);
// The extension of a model type; "???" for one the table does not hold.
const char* VynUtilGetMdlTypeStr(int type);

// Opens the file named after model (the current model for null), lower-cased, followed by
// suffix, with the stdio mode; the name goes to path (room for VYN_UTIL_PATH_SIZE bytes)
// when given. The name is a Windows name and goes through the platform's path model. Null
// when the model's name cannot be read, the name does not fit, or the file cannot be
// opened (the last shown as the message "Could not open the file '<path>'").
std::FILE* VynUtilGenFilePtr(VynMdl model, const char* suffix, char* path, const char* mode);
constexpr int VYN_UTIL_PATH_SIZE = 260;

// Checks that the last "/"-part of file_name (which replaces file_name) is <name>.<ext>
// with a name of at least one character and an extension of three: the name goes to
// name_out (room for the file name's length), the extension's model type to type_out and
// is returned. -2 for any other text, or a null argument.
int VynUtilConfirmNameType(char* file_name, char* name_out, int* type_out);

// Shows the host's file-open dialog with the filter, starting in ".", and converts the
// chosen name into chosen (room for VYN_UTIL_PATH_SIZE bytes). The host's status.
VynError VynUtilFileOpen(const char* filter, char* chosen);

// The name of an element id into text (room for VYN_UTIL_ELEM_NAME_SIZE bytes): 0, or -4
// with "not exist" for an id the table does not name.
int VynUtilIdToStr(int id, char* text);
// The id of an element name (exact, case-sensitive) into id when the table names its id;
// id is left alone otherwise. 0.
int VynUtilStrToId(const char* text, int* id);
constexpr int VYN_UTIL_ELEM_NAME_SIZE = 52;

// Writes the values as "%.5f" numbers separated by ", " in lines that begin with indent and
// are broken after 70 characters. Values below 1e-6 in size print as 0.
void VynUtilDoubleArrayPrint(std::FILE* stream, const char* indent, const double* values,
                             int count);

// Dumps a curve or surface data record, one item a line, each beginning with indent; the
// status of the last accessor. Indents longer than VYN_UTIL_INDENT_SIZE - 1 are cut.
VynError VynUtilCurvedataPrint(std::FILE* stream, const char* indent, const VynCurvedata* data);
VynError VynUtilSurfacedataPrint(std::FILE* stream, const char* indent, const VynSurfacedata* data);
constexpr int VYN_UTIL_INDENT_SIZE = 128;

// Dumps interference data: its accuracy and outline, then its surfaces, edges and quilts
// through the host's accessors: VynIntfData<Kind>Count(data, &n) and
// VynIntfData<Kind>Get(data, index, &record), where a surface is a VynSurfacedata*, a
// quilt a host array of VynSurfacedata*, and an edge a record that VynEdgedataGet(edge,
// &id, surface ids[2], directions[2], &uv point array, uv curves[2], &curve) reads. The
// status of the last accessor.
VynError VynUtilIntfDataPrint(std::FILE* stream, const VynIntfData* data);
