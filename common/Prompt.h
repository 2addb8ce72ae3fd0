#pragma once
// The one way core code talks to the user.
//
// The programs implement it with message boxes captioned with the application title; the
// tests implement it with a scripted fake; the command-line tools print to stderr and
// answer questions No unless told otherwise. Core code never shows anything itself.

#include <string>

namespace common {

enum class MessageIcon { None, Stop, Exclamation, Information };

class IPrompt {
public:
    virtual ~IPrompt() = default;

    // A message box with an OK button.
    virtual void ShowMessage(const std::string& text, MessageIcon icon) = 0;

    // A Yes/No question; true means Yes.
    virtual bool AskYesNo(const std::string& text, MessageIcon icon) = 0;
};

} // namespace common
