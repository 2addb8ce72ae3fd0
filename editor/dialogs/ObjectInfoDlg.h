#pragma once
// "View Object Info": the bounding box of one object.

#include "editor/dialogs/DialogFields.h"

#include "scene/QM4EditDoc.h"

class QLineEdit;

namespace qm4edit {

class CObjectInfoDlg final : public CInitDialog {
    Q_OBJECT

public:
    explicit CObjectInfoDlg(QWidget* parent = nullptr);
    ~CObjectInfoDlg() override;

    void SetObject(int objectIndex, const scene::CQM4EditDoc* doc);

    void OnInitDialog() override;
    void DoDataExchange();

    float m_fBox[6] = {0, 0, 0, 0, 0, 0}; // min x, y, z, then max x, y, z
    const scene::CQM4EditDoc* m_pDoc = nullptr;
    int m_nObject = 0;

private:
    QLineEdit* m_pBox[6] = {nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};
};

} // namespace qm4edit
