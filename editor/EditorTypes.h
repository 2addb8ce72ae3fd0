#pragma once
// Small named types the editor's panes, dialogs and main window share.

namespace qm4edit {

// What a tree item stands for. The values are the kinds' historic numbers.
enum class TreeItemKind : int { None = 0, Object = 1, Polygon = 2, Vertex = 3 };

// The orthographic viewport's projections: top (X-Z), front (X-Y), side (Z-Y).
enum class Projection : int { Top = 0, Front = 1, Side = 2 };

} // namespace qm4edit
