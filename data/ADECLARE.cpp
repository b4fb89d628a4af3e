#include "data/ADECLARE.h"

namespace kv4 {

// ---- Work dates -----------------------------------------------------------

int CompareWorkDates(const WorkDate& a, const WorkDate& b) {
    for (const int i : {2, 1, 0}) {
        if (a[i] > b[i]) return -1;
        if (a[i] < b[i]) return 1;
    }
    return 1;
}

}  // namespace kv4
