#pragma once
// The file-type association dialog both programs run from their Options menu.

#include <QDialog>

#include "registrar/AssocValues.h"

class QButtonGroup;
class QDialogButtonBox;
class QRadioButton;
class QWidget;

namespace gui {

class IGuiPrompt;

// Two choices, Set/Reset (the initial one) and Remove, captioned from the program's values. OK performs the chosen action and
// closes; Cancel closes without touching anything. A failure is told through the prompt.
class CFileAssocDlg : public QDialog {
    Q_OBJECT

public:
    CFileAssocDlg(const registrar::AssocValues& values, IGuiPrompt& prompt, QWidget* parent = nullptr);

    QRadioButton* SetResetButton() const { return m_pSetReset; }
    QRadioButton* RemoveButton() const { return m_pRemove; }
    QDialogButtonBox* Buttons() const { return m_pButtons; }

    // 0 = Set/Reset, 1 = Remove; taken from the radio group when OK is pressed.
    int m_nAction = 0;

public slots:
    void accept() override;

private:
    void Perform();

    registrar::AssocValues m_values;
    IGuiPrompt& m_prompt;
    QRadioButton* m_pSetReset;
    QRadioButton* m_pRemove;
    QButtonGroup* m_pGroup;
    QDialogButtonBox* m_pButtons;
};

// Runs the dialog modally; OK performs the chosen action, Cancel touches nothing.
void RunFileAssocDialog(QWidget* parent, const registrar::AssocValues& values, IGuiPrompt& prompt);

} // namespace gui
