#include "app/UKV4_N_Bedarf.h"

// Not yet built: the worksheet editors and crop selection.
void TForm1::StringGrid1Click() {}
void TForm1::StringGrid2Click() {}
void TForm1::EditNChange() {}
void TForm1::EditNExit() {}
void TForm1::EditPChange() {}
void TForm1::EditPExit() {}
void TForm1::EditTExit() {}
void TForm1::ComboBox2Change() {}
void TForm1::ComboBox2Click() {}
void TForm1::ComboBox2Exit() {}
void TForm1::Button1Click() {}
