#pragma once
// A prompt that records every message and answers questions from a script.

#include <deque>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/Prompt.h"

class ScriptedPrompt : public common::IPrompt {
public:
    struct Shown {
        std::string text;
        common::MessageIcon icon;
        bool question;
    };

    // Answers for the next questions, in order. A question with no answer left fails the test
    // by throwing, so an unexpected question is never silently answered.
    void QueueAnswer(bool yes) { m_answers.push_back(yes); }

    void ShowMessage(const std::string& text, common::MessageIcon icon) override
    {
        m_shown.push_back({text, icon, false});
    }
    bool AskYesNo(const std::string& text, common::MessageIcon icon) override
    {
        m_shown.push_back({text, icon, true});
        if (m_answers.empty())
            throw std::logic_error("unexpected question: " + text);
        bool yes = m_answers.front();
        m_answers.pop_front();
        return yes;
    }

    const std::vector<Shown>& All() const { return m_shown; }
    std::size_t Count() const { return m_shown.size(); }
    const Shown& Last() const { return m_shown.back(); }
    void Clear() { m_shown.clear(); }
    bool AnswersLeft() const { return !m_answers.empty(); }

private:
    std::vector<Shown> m_shown;
    std::deque<bool> m_answers;
};
