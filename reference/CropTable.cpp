#include "reference/CropTable.h"

namespace kv4 {

// Oats and spring wheat remove 0.8 kg P2O5 per dt of grain like every other
// cereal; the 12.0 of older tables would put a removal fifteen times too high
// into the farm's official worksheet.
const std::array<CropReference, kCropCount> CropTable = {{
    {"Winterweizen A,B", 0.8, 1.04, 80, 230, 10},
    {"Winterweizen C", 0.8, 1.04, 80, 210, 10},
    {"Winterweizen E", 0.8, 1.04, 80, 260, 10},
    {"Wintergerste", 0.8, 1.01, 70, 180, 10},
    {"Winterroggen", 0.8, 1.07, 70, 170, 10},
    {"Wintertriticale", 0.8, 1.07, 70, 190, 10},
    {"Sommergerste", 0.8, 1.01, 50, 140, 10},
    {"Hafer", 0.8, 1.13, 55, 130, 10},
    {"Sommerweizen", 0.8, 1.04, 55, 170, 10},
    {"Silomais 35%TS", 0.18, 0.18, 450, 200, 50},
    {"Körnermais", 0.8, 1.0, 90, 200, 10},
    {"CCM-Mais", 0.53, 0.73, 120, 200, 10},
    {"Kartoffeln", 0.14, 0.15, 450, 180, 50},
    {"Frühkartoffeln", 0.14, 0.15, 400, 220, 50},
    {"Winterraps", 1.8, 2.48, 40, 200, 5},
    {"Zuckerrüben", 0.1, 0.18, 650, 170, 100},
}};

}  // namespace kv4
