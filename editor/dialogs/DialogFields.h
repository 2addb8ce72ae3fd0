#pragma once
// What the inspector dialogs share: number fields shown the way the C library's "%g" shows
// a float, read back by C-locale atof rules, when the fields are filled, and the way modal
// dialogs are run.

#include <functional>

#include <QDialog>
#include <QString>

class QDialogButtonBox;
class QLineEdit;
class QWidget;

namespace gui {
class IGuiPrompt;
}

namespace qm4edit {

// A dialog that fills its fields from the document once, when it is first shown, so that
// the values set on it after construction are the ones it shows.
class CInitDialog : public QDialog {
public:
    using QDialog::QDialog;
    virtual void OnInitDialog() = 0;

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool m_bInitialized = false;
};

// Runs a modal dialog and returns its result; tests put something headless in its place.
using ModalRunner = std::function<int(QDialog& dialog)>;
int ExecModal(QDialog& dialog);

// The OK (default) and Cancel buttons of a dialog, wired to its accept() and reject(), so a
// dialog that checks its fields on OK overrides accept().
QDialogButtonBox* MakeOkCancelButtons(QDialog* dialog);

// "%g" with precision 6, independent of the user's locale.
QString FloatText(float value);

// A line edit named after its member (tests and accessibility find it by that name).
QLineEdit* MakeField(QWidget* parent, const char* objectName, bool readOnly);

// Reads a number field. When it holds no number the user is told which field (by its
// label), the field gets the focus with its text selected, and false is returned with
// value untouched.
bool ReadFloatField(QLineEdit& field, const char* label, float& value, gui::IGuiPrompt& prompt);

} // namespace qm4edit
