#pragma once
// A failure that carries the exact text (and icon) the user must be shown.

#include <stdexcept>
#include <string>

#include "Prompt.h"

namespace common {

class UserError : public std::runtime_error {
public:
    explicit UserError(const std::string& text, MessageIcon icon = MessageIcon::Stop)
        : std::runtime_error(text), m_icon(icon)
    {}
    MessageIcon Icon() const { return m_icon; }
    std::string Text() const { return what(); }

private:
    MessageIcon m_icon;
};

} // namespace common
