#pragma once
// "View Polygon Info": one polygon's corner vertices, their positions and its texture name,
// with a "..." button per corner that opens the corner's texture vertex.

#include <cstdint>
#include <string>

#include "editor/dialogs/DialogFields.h"

#include "editor/dialogs/DialogFields.h"
#include "scene/QM4EditDoc.h"

class QLineEdit;
class QPushButton;

namespace gui {
class IGuiPrompt;
}

namespace qm4edit {

class CPolygonInfoDlg final : public CInitDialog {
    Q_OBJECT

public:
    explicit CPolygonInfoDlg(gui::IGuiPrompt& prompt, QWidget* parent = nullptr);
    ~CPolygonInfoDlg() override;

    void SetPolygon(int objectIndex, int polygonIndex, const scene::CQM4EditDoc* doc);
    // How the texture-vertex dialog is run (modal exec unless a test says otherwise).
    void SetModalRunner(ModalRunner runner) { m_runModal = std::move(runner); }

    void OnInitDialog() override;
    void DoDataExchange();
    // "..." of corner 0, 1 or 2.
    void OnTextureVertex(int corner);

    std::uint16_t m_nVertexId[3] = {0, 0, 0};
    float m_fCorner[9] = {0, 0, 0, 0, 0, 0, 0, 0, 0};
    std::string m_strTexture;
    std::uint16_t m_nTexVertex[3] = {0, 0, 0};
    std::uint16_t m_nTypeWord = 0;
    const scene::CQM4EditDoc* m_pDoc = nullptr;
    int m_nPolygon = 0;
    int m_nObject = 0;

private:
    gui::IGuiPrompt& m_prompt;
    ModalRunner m_runModal = ExecModal;
    QLineEdit* m_pVertexId[3] = {nullptr, nullptr, nullptr};
    QLineEdit* m_pCorner[9] = {nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};
    QLineEdit* m_pTexture = nullptr;
};

} // namespace qm4edit
