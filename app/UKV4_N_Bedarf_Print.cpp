#include "app/UKV4_N_Bedarf.h"

void TForm1::Btn_PrintClick() {
    // Not yet built: printing the visible worksheet.
}
