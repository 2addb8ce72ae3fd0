#pragma once
// A GUI prompt for headless tests: records what would have been shown and answers every
// question and dialog from a script. Running out of script throws, so an unexpected dialog
// never passes unnoticed.

#include <deque>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "gui/GuiPrompt.h"

class ScriptedGuiPrompt : public gui::IGuiPrompt {
public:
    struct Shown {
        std::string text;
        common::MessageIcon icon;
        bool question;
    };

    void QueueYesNo(bool yes) { m_yesNo.push_back(yes); }
    void QueueFileName(std::optional<QString> name) { m_files.push_back(std::move(name)); }
    void QueueColor(std::optional<std::uint32_t> c) { m_colors.push_back(c); }
    void QueueSaveChanges(gui::SaveChangesAnswer a) { m_saveAnswers.push_back(a); }

    void ShowMessage(const std::string& text, common::MessageIcon icon) override
    {
        m_shown.push_back({text, icon, false});
    }
    bool AskYesNo(const std::string& text, common::MessageIcon icon) override
    {
        m_shown.push_back({text, icon, true});
        return Pop(m_yesNo, "Yes/No question: " + text);
    }
    std::optional<QString> GetOpenFileName(const gui::FileDialogOptions& o) override
    {
        m_fileDialogs.push_back(o);
        m_lastDialogWasOpen = true;
        return Pop(m_files, "open dialog");
    }
    std::optional<QString> GetSaveFileName(const gui::FileDialogOptions& o) override
    {
        m_fileDialogs.push_back(o);
        m_lastDialogWasOpen = false;
        return Pop(m_files, "save dialog");
    }
    std::optional<std::uint32_t> ChooseColor(std::uint32_t initial) override
    {
        m_colorInitials.push_back(initial);
        return Pop(m_colors, "colour dialog");
    }
    gui::SaveChangesAnswer AskSaveChanges(const QString& text) override
    {
        m_shown.push_back({text.toStdString(), common::MessageIcon::Exclamation, true});
        return Pop(m_saveAnswers, "save-changes question");
    }

    const std::vector<Shown>& All() const { return m_shown; }
    const std::vector<gui::FileDialogOptions>& FileDialogs() const { return m_fileDialogs; }
    const std::vector<std::uint32_t>& ColorInitials() const { return m_colorInitials; }
    bool LastDialogWasOpen() const { return m_lastDialogWasOpen; }
    void Clear() { m_shown.clear(); }
    bool ScriptUsedUp() const
    {
        return m_yesNo.empty() && m_files.empty() && m_colors.empty() && m_saveAnswers.empty();
    }

private:
    template <class T>
    static T Pop(std::deque<T>& q, const std::string& what)
    {
        if (q.empty())
            throw std::logic_error("unscripted " + what);
        T v = std::move(q.front());
        q.pop_front();
        return v;
    }

    std::vector<Shown> m_shown;
    std::vector<gui::FileDialogOptions> m_fileDialogs;
    std::vector<std::uint32_t> m_colorInitials;
    std::deque<bool> m_yesNo;
    std::deque<std::optional<QString>> m_files;
    std::deque<std::optional<std::uint32_t>> m_colors;
    std::deque<gui::SaveChangesAnswer> m_saveAnswers;
    bool m_lastDialogWasOpen = false;
};
