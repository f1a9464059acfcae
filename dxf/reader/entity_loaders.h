#pragma once
// Loaders of circles, arcs, ellipses, polylines, texts and attributes, the
// block definitions with their temporary files, INSERT and DIMENSION.
#include <cstdint>
#include <string>
#include <string_view>

#include "dxf_reader.h"

namespace kelvane {

bool ReadCircle(DXF& dxf);
bool DXFEllipse(DXF& dxf);

bool DXFPoly(DXF& dxf);
bool DXFPolyFace(DXF& dxf, std::int32_t& Layer, std::int32_t& Color);

// Kind is "TEXT" or "MTEXT".
bool DXFText(DXF& dxf, std::string_view Kind);
bool ReadAttrib(DXF& dxf);
bool ReadAttDef(DXF& dxf);
// The Windows face name and width factor for a DXF text style.
void MapDXFFont(const DXF& dxf, std::string& StyleName, float& WidthFactor);

// BLOCK ... ENDBLK.
bool DXFBlock(DXF& dxf);
void EndBlock(DXF& dxf);
// Index 0: an INSERT line; i > 0: the replay of deferred insert i.
bool DXFInsert(DXF& dxf, std::int32_t Index);
bool DXFDimension(DXF& dxf);
// Replays the deferred inserts not yet replayed (the ENTITIES section begins).
bool ReplayDeferredInserts(DXF& dxf);
// At the end of a read: a deferred DIMENSION never replayed whose block is
// still not defined ends the read with its error.
void CheckDeferredDimensions(DXF& dxf);
void CheckInsertExtents(DXF& dxf, std::int32_t InsertRow, float X1, float Y1, float X2, float Y2);

// Closes and deletes every temporary block file of the read and its private
// folder; blanks the block rows' file names. Safe to call at any time.
void EndBlockFiles(DXF& dxf);

// True when the extrusion direction of the object read (groups 210, 220, 230)
// is (0, 0, -1): its object X runs against the world's.
bool MirroredExtrusion(const DxfGroupTable& t);

}  // namespace kelvane
