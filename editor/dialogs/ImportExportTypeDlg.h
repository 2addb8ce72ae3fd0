#pragma once
// "Import/Export Type": polygon lines or unique vertices, and whether only the object
// selected in the tree takes part. Every command starts at "Object Polygons".

#include "editor/dialogs/DialogFields.h"
#include "editor/EditorTypes.h"

class QCheckBox;
class QRadioButton;

namespace qm4edit {

class CImportExportTypeDlg final : public CInitDialog {
    Q_OBJECT

public:
    // forObject: opened from an object's (or polygon's) context menu for that element, so
    // the check box has no say. selectedKind: the kind of the tree's selected item.
    CImportExportTypeDlg(bool forObject, TreeItemKind selectedKind, QWidget* parent = nullptr);
    ~CImportExportTypeDlg() override;

    void OnInitDialog() override;
    void DoDataExchange(bool saveAndValidate);
    void accept() override;

    int m_nType = 0; // 0 "Object Polygons", 1 "Unique Verts"
    bool m_bSelectedOnly = false;
    bool m_bForObject = false;

    QRadioButton* TypeButton(int type) const { return m_pType[type]; }
    QCheckBox* SelectedOnlyBox() const { return m_pSelectedOnly; }

private:
    TreeItemKind m_selectedKind = TreeItemKind::None;
    QRadioButton* m_pType[2] = {nullptr, nullptr};
    QCheckBox* m_pSelectedOnly = nullptr;
};

} // namespace qm4edit
