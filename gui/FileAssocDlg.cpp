#include "FileAssocDlg.h"

namespace gui {

void RunFileAssocDialog(QWidget*, AssocProgram, IGuiPrompt&)
{
}

} // namespace gui
