// The demo farm: a small invented arable farm in the Kornavis 4 file formats.
// Its output depends on nothing but this code, so runs give identical files,
// and a second run overwrites the first.
#include "farmwriter/DemoFarm.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

#include "data/ByteReader.h"
#include "data/FieldRegister.h"
#include "data/FileAccess.h"
#include "farmwriter/RecordWriter.h"

namespace {

namespace fs = std::filesystem;
using kv4farm::FieldSpec;
using kv4farm::WorkSpec;

constexpr std::uint8_t kSowing = 3;
constexpr std::uint8_t kPlantProtection = 4;

// A fixed-seed generator of our own: the standard distributions may differ
// between libraries, and the demo farm must not.
class Random {
  public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    std::uint64_t Next() {
        state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
        return state_ >> 33;
    }
    // In [low, high].
    int Int(int low, int high) {
        return low + static_cast<int>(Next() % static_cast<std::uint64_t>(high - low + 1));
    }
    double Real(double low, double high) {
        return low + (high - low) * static_cast<double>(Next() % 1000001) / 1000000.0;
    }

  private:
    std::uint64_t state_;
};

double Round1(double v) { return std::round(v * 10) / 10; }
double Round2(double v) { return std::round(v * 100) / 100; }

struct Crop {
    const char* name;
    double yield;       // dt/ha, mean
    std::uint8_t unit;  // unit the harvest is booked in
    kv4::WorkDate harvest;
    bool winter;  // sown in the autumn before the harvest year
};

// Harvest dates: day, month; the year part is added per year.
const Crop kCrops[] = {
    {"Winterweizen", 82, 2, {8, 8, 0, 0}, true},
    {"Wintergerste", 74, 2, {12, 7, 0, 0}, true},
    {"Winterraps", 41, 2, {22, 7, 0, 0}, true},
    {"Zuckerr\xC3\xBC"
     "ben",
     720,
     3,
     {10, 10, 0, 0},
     false},
    {"Silomais", 480, 3, {20, 9, 0, 0}, false},
    {"Kartoffeln", 430, 2, {15, 9, 0, 0}, false},
    {"Sommergerste", 60, 2, {5, 8, 0, 0}, false},
    {"Hafer", 58, 2, {10, 8, 0, 0}, false},
    {"Triticale", 70, 2, {1, 8, 0, 0}, true},
};

const Crop& CropNamed(const std::string& name) {
    for (const Crop& c : kCrops) {
        if (name == c.name) return c;
    }
    return kCrops[0];
}

// Rotations; a field runs through one of them, starting where its number says.
const std::vector<std::vector<std::string>> kRotations = {
    {"Winterraps", "Winterweizen", "Wintergerste"},
    {"Zuckerr\xC3\xBC"
     "ben",
     "Winterweizen", "Sommergerste", "Winterweizen"},
    {"Silomais", "Winterweizen", "Hafer", "Kartoffeln"},
};

struct Plot {
    std::int16_t fieldNo;
    std::uint8_t subNo;
    const char* name;
    const char* soil;
    int firstYear = 2015;  // the field joined the farm this year
};

const Plot kPlots[] = {
    {1, 0, "Am Wald", "lS"},
    {2, 0,
     "Gro\xC3\x9F"
     "e Breite",
     "sL"},
    {3, 0, "Hinterm Hof", "L"},
    {4, 0, "Kirchacker", "sL"},
    {5, 0, "M\xC3\xBChlenfeld", "S"},
    {6, 0, "Sandkuhle", "S"},
    {7, 0, "Am Bach", "tL"},
    {8, 0, "Eichenkamp", "lS"},
    {9, 0, "Hohe Geest", "lS"},
    {10, 0,
     "\xC3\x9C"
     "ber dem Dorf",
     "L"},
    {11, 0, "Lindenbreite", "sL"},
    {12, 0, "Pfarracker", "L"},
    {12, 1, "Pfarracker Ost", "L"},
    {13, 0, "Grenzweg", "tL"},
    {14, 0, "Steinkamp", "sL"},
    {15, 0, "Birkenfeld", "lS"},
    {16, 0, "Heideacker", "S"},
    {17, 0, "Lehmkuhle", "tL"},
    {18, 0, "Am Graben", "L"},
    {19, 0,
     "Sch\xC3\xA4"
     "ferei",
     "sL"},
    {20, 0, "Kleine Breite", "lS"},
    {20, 1, "Kleine Breite 2", "lS"},
    {21, 0, "Hasenberg", "sL"},
    {22, 0,
     "Krumme St\xC3\xBC"
     "cke",
     "L"},
    {23, 0, "Fuchsberg", "lS"},
    {24, 0, "Rodeland", "S", 2016},
    {25, 0, "Bruchfeld", "tL"},
    {26, 0, "Zupacht Nord", "sL", 2018},
};

struct PlotData {
    Plot plot;
    double area;
    std::uint16_t humus;
    double p2o5;
    int rotation;
    int offset;
};

std::vector<PlotData> MakePlots(Random& random) {
    std::vector<PlotData> plots;
    for (const Plot& plot : kPlots) {
        PlotData d{plot,
                   Round2(random.Real(1.5, 24)),
                   static_cast<std::uint16_t>(random.Int(14, 38)),
                   Round1(random.Real(4, 32)),
                   random.Int(0, 2),
                   random.Int(0, 3)};
        plots.push_back(d);
    }
    // Humus-rich fields by the brook and on the old grassland.
    for (const int i : {2, 6, 17, 24})
        plots[i].humus = static_cast<std::uint16_t>(41 + 5 * (i % 4));
    plots[13].humus = 40;  // just not above the limit
    return plots;
}

std::string CropOf(const PlotData& d, int year) {
    if (d.plot.fieldNo == 24 && year == 2018) return "Brache";
    if (d.plot.fieldNo == 26 && year == 2018) return "Triticale";
    const auto& rotation = kRotations[d.rotation];
    return rotation[static_cast<std::size_t>(d.offset + year) % rotation.size()];
}

kv4::WorkDate Date(int day, int month, int year) {
    return {static_cast<std::uint8_t>(day), static_cast<std::uint8_t>(month),
            static_cast<std::uint8_t>(year - 2000), 0};
}

WorkSpec BaseWork(const PlotData& d, std::uint8_t type, kv4::WorkDate date) {
    WorkSpec w;
    w.fieldNo = static_cast<std::uint16_t>(d.plot.fieldNo);
    w.subNo = d.plot.subNo;
    w.workType = type;
    w.date = date;
    return w;
}

// Calcium ammonium nitrate: 27 kg N per dt.
WorkSpec MineralN(const PlotData& d, kv4::WorkDate date, double dtPerHa) {
    WorkSpec w = BaseWork(d, kv4::kWorkTypeFertilisation, date);
    w.amount = dtPerHa;
    w.unit = 2;
    w.nutrient1 = 27;
    return w;
}

std::vector<WorkSpec> WorksOf(const PlotData& d, std::size_t index, int year, Random& random) {
    std::vector<WorkSpec> works;
    const std::string cropName = CropOf(d, year);
    if (cropName == "Brache") return works;
    const Crop& crop = CropNamed(cropName);

    // Sowing: winter crops in the autumn before, the others in spring.
    WorkSpec sowing = crop.winter ? BaseWork(d, kSowing, Date(random.Int(10, 28), 9, year - 1))
                                  : BaseWork(d, kSowing, Date(random.Int(5, 25), 4, year));
    sowing.amount = Round1(random.Real(1.2, 1.8));
    works.push_back(sowing);

    // Spring nitrogen, with a sulphur fertiliser booked as a follower of the
    // first dressing on some fields; a planned dressing that was never done
    // stays optional.
    const WorkSpec first = MineralN(d, Date(random.Int(1, 20), 3, year), Round1(random.Real(2, 3)));
    works.push_back(first);
    if (index % 4 == 1) {
        WorkSpec sulphur = BaseWork(d, kv4::kWorkTypeFertilisation, {0, 0, 0, 0});
        sulphur.followerMark = 1;
        sulphur.amount = 1;
        sulphur.unit = 2;
        sulphur.nutrient1 = 21;
        works.push_back(sulphur);
    }
    if (year < 2018) {
        works.push_back(
            MineralN(d, Date(random.Int(1, 28), 4, year), Round1(random.Real(1.5, 2.5))));
    }
    if (index % 6 == 2) {
        WorkSpec planned = MineralN(d, Date(15, 5, year), 1.5);
        planned.optionalMark = 1;
        works.push_back(planned);
    }
    WorkSpec protection = BaseWork(d, kPlantProtection, Date(random.Int(1, 30), 5, year));
    protection.amount = Round1(random.Real(0.5, 2));
    protection.unit = 5;
    works.push_back(protection);

    // Organic fertilisation in 2017: slurry booked by volume with a group
    // factor of 10 dt per unit, farmyard manure in tonnes.
    if (year == 2017 && index % 3 == 0) {
        WorkSpec slurry =
            BaseWork(d, kv4::kWorkTypeFertilisation, Date(random.Int(5, 25), 3, year));
        slurry.amount = random.Int(15, 30);
        slurry.unit = 6;
        slurry.groupFactor = 10;
        slurry.nutrient1 = 0.4;
        slurry.organicMark = 1;
        slurry.organicProductMark = 1;
        if (index == 9) {  // spread on part of the field only
            slurry.partAreaMark = 1;
            slurry.workedArea = Round2(d.area / 2);
        }
        works.push_back(slurry);
    }
    if (year == 2017 && index % 5 == 1) {
        WorkSpec manure =
            BaseWork(d, kv4::kWorkTypeFertilisation, Date(random.Int(1, 20), 10, 2016));
        manure.amount = random.Int(20, 35);
        manure.unit = 3;
        manure.nutrient1 = 0.55;
        manure.organicMark = 1;
        manure.organicProductMark = 1;
        works.push_back(manure);
    }

    // N-min samples in spring 2018, on some fields twice.
    if (year == 2018 && index % 5 != 3) {
        const int samples = index % 3 == 0 ? 2 : 1;
        for (int s = 0; s < samples; ++s) {
            WorkSpec nmin =
                BaseWork(d, kv4::kWorkTypeFertilisation, Date(random.Int(1, 25), 2 + s, year));
            nmin.nminMark = 1;
            nmin.nutrient1 = Round1(random.Real(5, 30));
            nmin.nutrient2 = Round1(random.Real(3, 20));
            nmin.nutrient3 = Round1(random.Real(0, 12));
            works.push_back(nmin);
        }
    }

    // Harvest of the earlier years, mostly in dt/ha.
    if (year < 2018) {
        WorkSpec harvest =
            BaseWork(d, kv4::kWorkTypeHarvest, Date(crop.harvest[0], crop.harvest[1], year));
        harvest.cropName = cropName;
        const double dtPerHa = crop.yield * random.Real(0.85, 1.15);
        if (crop.unit == 3) {
            harvest.unit = 3;
            harvest.amount = Round1(dtPerHa / 10);
        } else if (index % 7 == 4) {
            harvest.unit = 1;  // booked in kg/ha
            harvest.amount = std::round(dtPerHa * 100);
        } else {
            harvest.unit = 2;
            harvest.amount = Round1(dtPerHa);
        }
        if (index % 8 == 5 && year == 2016) {
            // Two part-area harvests with different yields.
            harvest.partAreaMark = 1;
            harvest.workedArea = Round2(d.area * 0.6);
            WorkSpec rest = harvest;
            rest.workedArea = Round2(d.area - harvest.workedArea);
            rest.amount = Round1(harvest.amount * 0.8);
            rest.date[0] = static_cast<std::uint8_t>(rest.date[0] + 2);
            works.push_back(rest);
        }
        works.push_back(harvest);
    }

    // Kornavis keeps a field's works in the order they were entered, not by
    // date; mix them, keeping each follower behind its head.
    std::vector<std::vector<WorkSpec>> groups;
    for (const WorkSpec& w : works) {
        if (w.followerMark == 1 && !groups.empty()) {
            groups.back().push_back(w);
        } else {
            groups.push_back({w});
        }
    }
    for (std::size_t i = groups.size(); i > 1; --i) {
        std::swap(groups[i - 1], groups[static_cast<std::size_t>(random.Int(0, int(i) - 1))]);
    }
    works.clear();
    for (const auto& group : groups) works.insert(works.end(), group.begin(), group.end());
    return works;
}

void WriteYear(const fs::path& folder, int year, const std::vector<PlotData>& plots,
               Random& random) {
    std::vector<FieldSpec> fields;
    std::vector<WorkSpec> works;
    for (std::size_t i = 0; i < plots.size(); ++i) {
        const PlotData& d = plots[i];
        if (d.plot.firstYear > year) continue;
        FieldSpec f;
        f.fieldNo = d.plot.fieldNo;
        f.subNo = d.plot.subNo;
        f.name = d.plot.name;
        f.area = d.area;
        f.soilType = d.plot.soil;
        f.humus = d.humus;
        f.p2o5Content = d.p2o5;
        f.crop = CropOf(d, year);
        // Set aside and a field given up: no row on the worksheets.
        if (d.plot.fieldNo == 24 || d.plot.fieldNo == 9) f.statusBits = 1;
        if (d.plot.fieldNo == 15) f.statusBits = 2;
        fields.push_back(f);
        const std::vector<WorkSpec> own = WorksOf(d, i, year, random);
        works.insert(works.end(), own.begin(), own.end());
    }
    kv4farm::WriteYear(folder, year, fields, works);
}

std::vector<std::uint8_t> MasterRecords(const std::vector<std::string>& names) {
    std::vector<std::uint8_t> out;
    for (const std::string& name : names) {
        std::vector<std::uint8_t> record(kv4::kWorkRecordSize);
        for (std::size_t i = 0; i < record.size(); ++i) {
            record[i] = static_cast<std::uint8_t>(0x20 + (i * 11) % 90);
        }
        const std::string text = kv4::Utf8ToCp1252(name);
        record[0] = static_cast<std::uint8_t>(text.size());
        std::copy(text.begin(), text.end(), record.begin() + 1);
        out.insert(out.end(), record.begin(), record.end());
    }
    return out;
}

void WriteMasterData(const fs::path& folder) {
    kv4farm::WriteBytes(folder / "MASCHINE.DAT",
                        MasterRecords({"Kreiselegge 3 m", "Drillmaschine", "Feldspritze 24 m"}));
    kv4farm::WriteBytes(folder / "DUENGER.DAT",
                        MasterRecords({"KAS 27 % N", "ASS 26 % N", "Rindergülle", "Stallmist"}));
    kv4farm::WriteBytes(folder / "PFLSCHTZ.DAT", MasterRecords({"Herbizid", "Fungizid"}));
    kv4farm::WriteBytes(folder / "SCHLEPP.DAT", MasterRecords({"Schlepper 120 kW"}));
    kv4farm::WriteBytes(folder / "SONSTIG.DAT", MasterRecords({"Lohnunternehmer"}));
    // As older Kornavis versions left it: the name padded with blanks. The
    // program repairs it to FRUCHT.DAT; remove that so every run gives the
    // same folder.
    std::error_code ec;
    fs::remove(folder / "FRUCHT.DAT", ec);
    kv4farm::WriteBytes(folder / "FRUCHT  .DAT",
                        MasterRecords({"Winterweizen", "Wintergerste", "Winterraps"}));
}

void WriteNutrientClasses(const fs::path& file) {
    std::vector<std::uint8_t> out;
    auto add = [&out](const kv4farm::NKlassenSpec& spec) {
        const std::vector<std::uint8_t> record = kv4farm::EncodeNKlassen(spec);
        out.insert(out.end(), record.begin(), record.end());
    };
    // A record of another kind (potassium) before the P2O5 classes: ignored.
    kv4farm::NKlassenSpec potassium;
    potassium.kind = 1;
    potassium.names = {"S", "lS", "sL", "L", "tL", "", "", ""};
    potassium.limits = {4, 9, 15, 25};
    add(potassium);

    kv4farm::NKlassenSpec light;
    light.names = {"S", "lS", "Sl", "", "", "", "", ""};
    light.limits = {5, 10, 17, 25};
    add(light);
    kv4farm::NKlassenSpec medium;
    medium.names = {"sL", "L", "uL", "sU", "", "", "", ""};
    medium.limits = {6, 12, 20, 30};
    add(medium);
    kv4farm::NKlassenSpec heavy;
    heavy.names = {"tL", "lT", "T", "", "", "", "", ""};
    heavy.limits = {7, 14, 23, 35};
    heavy.factors = {0, 0, 0, 0, 0};  // the program puts in its defaults
    add(heavy);
    kv4farm::WriteBytes(file, out);
}

}  // namespace

namespace kv4farm {

void WriteDemoFarm(const std::filesystem::path& out) {
    const fs::path data = out / "Daten";
    fs::create_directories(data);
    Random random(20180301);
    const std::vector<PlotData> plots = MakePlots(random);
    for (const int year : {2015, 2016, 2017, 2018}) WriteYear(data, year, plots, random);
    WriteMasterData(data);
    WriteNutrientClasses(out / "NKlassen.dat");
}

}  // namespace kv4farm
