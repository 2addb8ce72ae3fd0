#pragma once
// "Edit Vertex": shows one vertex's position and writes the fields into the scene each time
// Apply is pressed. The dialog stays open; Close writes nothing.

#include <functional>
#include <vector>

#include "editor/dialogs/DialogFields.h"
#include "scene/QM4EditDoc.h"

class QLineEdit;
class QPushButton;

namespace gui {
class IGuiPrompt;
}

namespace qm4edit {

// Where a command hands the positions it wants to store, with the words the Edit menu shows
// for the step ("Edit Vertex"): the main window applies them as one undoable step.
using EditSink = std::function<void(const char* what, std::vector<scene::VertexChange> changes)>;

class CEditVertexDlg final : public CInitDialog {
    Q_OBJECT

public:
    explicit CEditVertexDlg(gui::IGuiPrompt& prompt, QWidget* parent = nullptr);
    ~CEditVertexDlg() override;

    void SetVertex(int vertexIndex, scene::CQM4EditDoc* doc);
    // Apply hands the new position here instead of storing it directly.
    void SetEditSink(EditSink sink) { m_sink = std::move(sink); }

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
    EditSink m_sink;
};

} // namespace qm4edit
