#include "editor/app/StatusPanes.h"

#include <QLabel>
#include <QStatusBar>

#include "editor/app/EditorStrings.h"
#include "editor/platform/LockKeys.h"

namespace qm4edit {

namespace {

const char* const kIndicatorTexts[3] = {INDICATOR_CAPS, INDICATOR_NUM, INDICATOR_SCRL};

} // namespace

CStatusPanes::CStatusPanes(QStatusBar& bar)
{
    // A normal widget: command prompts cover it while shown and it comes back afterwards.
    m_pMessagePane = new QLabel(QString(STATUS_READY), &bar);
    bar.addWidget(m_pMessagePane, 1);
    for (QLabel*& pane : m_pViewPanes) {
        pane = new QLabel(&bar);
        pane->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        bar.addPermanentWidget(pane);
    }
    for (int i = 0; i < 3; ++i) {
        auto* label = new QLabel(&bar);
        label->setAlignment(Qt::AlignCenter);
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QString(kIndicatorTexts[i])) + 10);
        bar.addPermanentWidget(label);
        m_pIndicators[i] = label;
    }
}

void CStatusPanes::UpdateIndicators()
{
    const LockKeyState keys = QueryLockKeys();
    const bool on[3] = {keys.caps, keys.num, keys.scroll};
    for (int i = 0; i < 3; ++i) {
        const QString text = on[i] ? QString(kIndicatorTexts[i]) : QString();
        if (m_pIndicators[i]->text() != text)
            m_pIndicators[i]->setText(text);
    }
}

void CStatusPanes::SetViewTexts(const QString (&texts)[4])
{
    for (int i = 0; i < 4; ++i) {
        if (m_pViewPanes[i]->text() != texts[i])
            m_pViewPanes[i]->setText(texts[i]);
        m_pViewPanes[i]->setVisible(!texts[i].isEmpty());
    }
}

} // namespace qm4edit
