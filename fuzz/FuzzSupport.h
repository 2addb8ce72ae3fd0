#pragma once
// Shared pieces of the fuzz entry points.
//
// Each entry point is built twice: as a libFuzzer target (clang, -fsanitize=fuzzer) and as a
// plain program over ReplayMain.cpp that the test suite runs over the committed corpus, so a
// once-crashing input keeps being checked by every build, with or without clang.

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/Prompt.h"

// A property the reader must keep. Failing one is as much a finding as a crash.
#define FUZZ_CHECK(cond)                                                                                               \
    do {                                                                                                               \
        if (!(cond)) {                                                                                                 \
            std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, #cond);                           \
            std::abort();                                                                                              \
        }                                                                                                              \
    } while (0)

namespace fuzz {

// Records what the user would have been shown and answers every question the same way.
class RecordingPrompt final : public common::IPrompt {
public:
    explicit RecordingPrompt(bool answer = false) : m_answer(answer) {}
    void ShowMessage(const std::string& text, common::MessageIcon) override { m_messages.push_back(text); }
    bool AskYesNo(const std::string& text, common::MessageIcon) override
    {
        ++m_questions;
        FUZZ_CHECK(!text.empty());
        return m_answer;
    }
    std::size_t Messages() const { return m_messages.size(); }
    bool AllNonEmpty() const
    {
        for (const auto& m : m_messages)
            if (m.empty())
                return false;
        return true;
    }
    int Questions() const { return m_questions; }

private:
    bool m_answer;
    int m_questions = 0;
    std::vector<std::string> m_messages;
};

} // namespace fuzz
