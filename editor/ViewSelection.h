#pragma once
// What the viewport asks about the tree's selection while it paints. The main frame answers
// by asking its tree pane, so the two panes never hold pointers to each other.

#include "editor/EditorTypes.h"

namespace qm4edit {

class ISceneSelection {
public:
    virtual ~ISceneSelection() = default;
    virtual TreeItemKind GetSelectedKind() const = 0;
    // The selected item's data; -1 when nothing is selected.
    virtual int GetSelectedData() const = 0;
    // Object: its polygon items; polygon: 1; otherwise 0.
    virtual int GetSelectedPolygonCount() const = 0;
    // The three corner vertex indices of the k-th polygon of the selection; -1s when there
    // is none.
    virtual void GetSelectedPolygonVertices(int k, int& a, int& b, int& c) const = 0;
};

} // namespace qm4edit
