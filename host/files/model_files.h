// The host's model files: drawings and parts kept in plain text files of the host's own
// format (described in host/resources/README.md), saved, read and retrieved into session.
// Paths here are POSIX paths.
#pragma once

#include <string>
#include <vector>

#include "toolkit/api/host_types.h"
#include "host/files/model_files.h"

namespace yrlhost {

// The lines that save would write for a live model; empty for anything else.
std::vector<std::string> host_model_lines(VynMdl model);
// Writes a live model to path; a drawing's models in session are written beside it
// first (host/resources/README.md). The model then keeps path as its file. false with
// the reason in error.
bool host_model_save(VynMdl model, const std::string& path, std::string& error);
// Reads a model file into a new model, which becomes current, and fires the
// model-retrieve notification; a drawing's models not in session are read from beside
// it first. Null with the reason ("<where>:<line>: <what>") in error, and the model not
// loaded, for a missing or malformed file, a model of that name and type already in
// session or a drawing model that cannot be had.
VynMdl host_model_open(const std::string& path, std::string& error);
// Where a part saved at path keeps its solid: the path with the extension ".brep".
std::string part_brep_path(const std::string& path);
// Why the last VynMdlLoad failed ("" after one that succeeded): "<path>:<line>: <what>".
std::string host_model_load_error();
// The same as host_model_open from lines; where names their source in error texts and
// becomes the model's path. A drawing's models must be in session.
VynMdl host_model_read(const std::vector<std::string>& lines, const std::string& where,
                       std::string& error);
// Whether lines read as a model file, without loading anything (the readers' checks
// only: no drawing model is looked for); false with the reason in error.
bool host_model_parse(const std::vector<std::string>& lines, const std::string& where,
                      std::string& error);

// Retrieves the model file at a path of the plug-in's (Windows form, VYN_PATH_SIZE wide
// characters at most) into session as VynMdlLoad does: type -1 takes any model, else the
// file must hold one of that type. A model of the file's name and type already in
// session is the one given. -2 for bad arguments or a path that does not resolve, -4 for
// a path that names no file, -1 for a file that does not read or load; the reason is
// kept for host_model_load_error.
VynError host_model_load(const VynWchar* path, int type, VynMdl* model);

}  // namespace yrlhost
