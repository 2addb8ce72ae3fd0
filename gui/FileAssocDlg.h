#pragma once
// The file-type association dialog both programs run from their Options menu.

class QWidget;

namespace gui {

class IGuiPrompt;

enum class AssocProgram { QM4Edit, Pixloom };

// Runs the dialog modally; OK performs the chosen action, Cancel touches nothing.
void RunFileAssocDialog(QWidget* parent, AssocProgram program, IGuiPrompt& prompt);

} // namespace gui
