// make_demo_farm OUTDIR
//
// Writes the demo farm: OUTDIR/Daten/ with the field and work files of the
// harvest years 2015 to 2018 and a few master-data files, and
// OUTDIR/NKlassen.dat.
#include <exception>
#include <filesystem>
#include <iostream>

#include "data/FileAccess.h"
#include "farmwriter/DemoFarm.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "Aufruf: make_demo_farm ZIELORDNER\n";
        return 2;
    }
    try {
        const std::filesystem::path out = kv4::PathFromUtf8(argv[1]);
        kv4farm::WriteDemoFarm(out);
        std::cout << "Demo-Betrieb geschrieben: " << kv4::PathToUtf8(out / "Daten") << '\n';
    } catch (const std::exception& e) {
        std::cerr << "make_demo_farm: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
