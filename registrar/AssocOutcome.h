#pragma once
// What became of a Set/Reset or Remove. Every step runs even after one fails, so the outcome
// collects all that went wrong for the one message the user sees.

#include <string>
#include <vector>

namespace registrar {

struct AssocOutcome {
    std::vector<std::string> problems;

    bool Ok() const { return problems.empty(); }
    void Fail(std::string what) { problems.push_back(std::move(what)); }
};

// The message box text for a failed outcome: the headline, then what went wrong.
std::string AssocFailureMessage(const AssocOutcome& outcome);

} // namespace registrar
