#include "app/UKV4_N_Bedarf.h"

void TForm1::FormShow() {
    // Not yet built: the start-up sequence.
}
