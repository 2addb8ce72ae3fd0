#pragma once
// The file-type association dialog both programs run from their Options menu.

#include <QDialog>

#include "common/registrar/AssocValues.h"

class QButtonGroup;
class QDialogButtonBox;
class QRadioButton;
class QWidget;

namespace gui {

class IGuiPrompt;

enum class AssocProgram { QM4Edit, Pixloom };

const registrar::AssocValues& AssocValuesFor(AssocProgram program);

// Two choices, Set/Reset (the initial one) and Remove. OK performs the chosen action and
// closes; Cancel closes without touching anything. A failure is told through the prompt.
class CFileAssocDlg : public QDialog {
    Q_OBJECT

public:
    CFileAssocDlg(AssocProgram program, IGuiPrompt& prompt, QWidget* parent = nullptr);

    QRadioButton* SetResetButton() const { return m_pSetReset; }
    QRadioButton* RemoveButton() const { return m_pRemove; }
    QDialogButtonBox* Buttons() const { return m_pButtons; }

    // 0 = Set/Reset, 1 = Remove; taken from the radio group when OK is pressed.
    int m_nAction = 0;

public slots:
    void accept() override;

private:
    void Perform();

    AssocProgram m_program;
    IGuiPrompt& m_prompt;
    QRadioButton* m_pSetReset;
    QRadioButton* m_pRemove;
    QButtonGroup* m_pGroup;
    QDialogButtonBox* m_pButtons;
};

// Runs the dialog modally; OK performs the chosen action, Cancel touches nothing.
void RunFileAssocDialog(QWidget* parent, AssocProgram program, IGuiPrompt& prompt);

} // namespace gui
