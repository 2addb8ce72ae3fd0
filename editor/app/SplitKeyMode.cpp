#include "editor/app/SplitKeyMode.h"

#include <algorithm>

#include <QApplication>
#include <QSplitter>

namespace qm4edit {

namespace {

constexpr int kSplitKeyStep = 8;

} // namespace

void CSplitKeyMode::Start()
{
    if (m_bOn)
        return;
    m_bOn = true;
    m_sizesBefore = m_splitter.sizes();
    QApplication::setOverrideCursor(Qt::SplitHCursor);
}

void CSplitKeyMode::Key(int key)
{
    switch (key) {
    case Qt::Key_Left:
    case Qt::Key_Right: {
        QList<int> sizes = m_splitter.sizes();
        if (sizes.size() == 2) {
            const int total = sizes[0] + sizes[1];
            const int step = key == Qt::Key_Left ? -kSplitKeyStep : kSplitKeyStep;
            sizes[0] = std::clamp(sizes[0] + step, 0, total);
            sizes[1] = total - sizes[0];
            m_splitter.setSizes(sizes);
        }
        break;
    }
    case Qt::Key_Return:
    case Qt::Key_Enter: End(true); break;
    case Qt::Key_Escape: End(false); break;
    default: break;
    }
}

void CSplitKeyMode::End(bool keep)
{
    if (!m_bOn)
        return;
    m_bOn = false;
    if (!keep)
        m_splitter.setSizes(m_sizesBefore);
    QApplication::restoreOverrideCursor();
}

} // namespace qm4edit
