// DXF drawings: a DXF file read with dxflib becomes a drawing of the session, as the
// scenario's "open" opens it (host/resources/README.md, "DXF drawings").
//
// The import takes the entities of the file's ENTITIES section: lines, arcs, circles,
// polylines (as lines and arcs), points, splines and ellipses (as splines, or arcs),
// text and mtext (as free notes) and linear, aligned, radius, diameter and angular
// dimensions, with their colours, and the entities of the blocks that block references
// place, onto sheet 1 of a new drawing in the units $INSUNITS gives. Every other entity
// is counted by its type name, never dropped without a trace. A file that cannot be read
// as DXF is refused as a whole with the reason, and nothing stays in session.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "toolkit/api/host_types.h"

namespace yrlhost {

// One item the import put into the drawing, with what the file said of it.
struct DxfItem {
  int type = 0;        // item_type_draft_entity, item_type_note or item_type_dimension
  int id = 0;          // its id in the drawing
  std::string entity;  // the DXF entity it came from: "LINE", "LWPOLYLINE", "MTEXT", ...
  std::u16string layer;  // that entity's layer name ("0" when the file gives none)
  int line = 0;        // the line of the file where that entity starts
};

// A layer of the file's layer table.
struct DxfLayer {
  std::u16string name;
  VynColor colour{};    // the layer's colour, mapped as an entity's
  bool off = false;     // a negative colour number: the layer is switched off
  bool frozen = false;  // flag 1
};

// What an import did.
struct DxfImport {
  int insunits = 0;          // $INSUNITS as the file gives it (0 when absent)
  std::string units;         // the drawing's units: "INCH" or "MM"
  double scale = 1.0;        // file units to drawing units
  std::vector<DxfLayer> layers;  // the layer table, in file order
  std::vector<DxfItem> items;    // entities, then notes, then dimensions, each in file order
                                 // (a block reference's where it stands)
  // Entities not imported: by type name ("SPLINE"), or by type name and the reason for
  // one of a kind the import takes ("CIRCLE (paper space)").
  std::map<std::string, int> skipped;
};

// Reads the DXF file at a POSIX path into a new drawing named after the file (its name
// without folder and extension, cut to 31 characters), which becomes current; the
// plug-in is told it was retrieved. Null, with "<path>: <what>" or "<path>:<line>: <what>"
// in error and nothing left in session, for a file that cannot be read or is not DXF the
// import can read, or when a drawing of that name is in session.
VynMdl host_dxf_open(const std::string& path, DxfImport& import, std::string& error);

// The same from the file's bytes: the drawing is named name, where names the source in
// error texts and becomes the drawing's path.
VynMdl host_dxf_load(const std::string& bytes, const std::string& name, const std::string& where,
                     DxfImport& import, std::string& error);

// Whether a path names a DXF file: its extension is ".dxf" in any case.
bool dxf_path_is(const std::string& path);

// The skipped entities as one text, "2 HATCH, 1 SPLINE" (by name); "" for none.
std::string dxf_skipped_text(const DxfImport& import);

// The colour of a DXF colour number of an entity or layer (group 62) and its true
// colour (group 420, -1 for none). A true colour is taken as it is; index 1 to 255 but
// 7 comes from the palette; 7 (black or white: the foreground) and everything else is
// the default colour. By-layer (256) is resolved by the caller.
VynColor dxf_colour(int index, int true_colour);

// ---- Layers ------------------------------------------------------------------------
//
// Puts the imported items on the drawing's layers: a layer for each layer of the file's
// table (blank when it is off or frozen) and for each other layer name an item gives,
// shown. Names are cut to 31 characters and compared without regard to ASCII case, as
// the file compares them; the first spelling names the layer. False with the reason.
bool dxf_layers_assign(VynMdl drawing, const DxfImport& import, std::string& error);

}  // namespace yrlhost
