#pragma once
// The prompt handed to the texture core during file work. The wait cursor is on for the
// whole operation, but a message or question in the middle of it must get the ordinary
// arrow: the user has to click it.

#include <QApplication>

#include "common/Prompt.h"

namespace pixloom {

class CPromptOverWaitCursor final : public common::IPrompt {
public:
    explicit CPromptOverWaitCursor(common::IPrompt& inner) : m_inner(inner) {}

    void ShowMessage(const std::string& text, common::MessageIcon icon) override
    {
        ArrowCursor arrow;
        m_inner.ShowMessage(text, icon);
    }
    bool AskYesNo(const std::string& text, common::MessageIcon icon) override
    {
        ArrowCursor arrow;
        return m_inner.AskYesNo(text, icon);
    }

private:
    // Lifts the wait cursor for its scope and puts it back however the scope is left.
    struct ArrowCursor {
        ArrowCursor() : m_lifted(QApplication::overrideCursor() != nullptr)
        {
            if (m_lifted)
                QApplication::restoreOverrideCursor();
        }
        ~ArrowCursor()
        {
            if (m_lifted)
                QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
        }
        ArrowCursor(const ArrowCursor&) = delete;
        ArrowCursor& operator=(const ArrowCursor&) = delete;
        bool m_lifted;
    };

    common::IPrompt& m_inner;
};

} // namespace pixloom
