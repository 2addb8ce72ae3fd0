#pragma once
// "Texture Vertex": shows the u and v of one texture vertex. Nothing is written back.

#include <cstdint>

#include "editor/dialogs/DialogFields.h"

#include "scene/QM4EditDoc.h"

class QLineEdit;

namespace gui {
class IGuiPrompt;
}

namespace qm4edit {

class CTextureVertexDlg final : public CInitDialog {
    Q_OBJECT

public:
    explicit CTextureVertexDlg(gui::IGuiPrompt& prompt, QWidget* parent = nullptr);
    ~CTextureVertexDlg() override;

    void SetTextureVertex(std::uint16_t texVertex, int kind, const scene::CQM4EditDoc* doc);

    void OnInitDialog() override;
    bool DoDataExchange(bool saveAndValidate);
    // OK closes only when both fields hold numbers.
    void accept() override;

    float m_fU = 0.0f;
    float m_fV = 0.0f;
    std::uint16_t m_nTexVertex = 0;
    const scene::CQM4EditDoc* m_pDoc = nullptr;
    int m_nKind = 0;

private:
    gui::IGuiPrompt& m_prompt;
    QLineEdit* m_pEdit[2] = {nullptr, nullptr};
};

} // namespace qm4edit
