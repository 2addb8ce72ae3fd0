#pragma once
// "Edit Vertex": shows one vertex's position and writes the fields into the scene each time
// Apply is pressed. The dialog stays open; Close writes nothing.

#include "DialogFields.h"
#include "scene/QM4EditDoc.h"

class QLineEdit;
class QPushButton;

namespace gui {
class IGuiPrompt;
}

namespace qm4edit {

class CEditVertexDlg final : public CInitDialog {
    Q_OBJECT

public:
    explicit CEditVertexDlg(gui::IGuiPrompt& prompt, QWidget* parent = nullptr);
    ~CEditVertexDlg() override;

    void SetVertex(int vertexIndex, scene::CQM4EditDoc* doc);

    // Reads the vertex into the members and shows them; runs when the dialog is first shown.
    void OnInitDialog() override;
    // Apply: reads the three fields, then stores them with SetVertexAndUpdate. A field that
    // holds no number is reported by name and nothing is stored.
    void OnOK();

    // The fields are exchanged with the members in both directions; false when a field
    // does not hold a number (reported already).
    bool DoDataExchange(bool saveAndValidate);

    float m_fX = 0.0f;
    float m_fY = 0.0f;
    float m_fZ = 0.0f;
    int m_nVertex = 0;
    scene::CQM4EditDoc* m_pDoc = nullptr;

private:
    gui::IGuiPrompt& m_prompt;
    QLineEdit* m_pEdit[3] = {nullptr, nullptr, nullptr};
    QPushButton* m_pApply = nullptr;
};

} // namespace qm4edit
