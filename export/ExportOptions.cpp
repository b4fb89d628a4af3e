#include "export/ExportOptions.h"

#include <algorithm>
#include <filesystem>
#include <utility>
#include <vector>

#include "data/FileAccess.h"
#include "export/Messages.h"
#include "export/OutputFiles.h"

namespace kv4 {

namespace {

std::string* HeaderField(ExportOptions& o, std::string_view name) {
    if (name == "--farm") return &o.header.farmName;
    if (name == "--farm-no") return &o.header.farmNumber;
    if (name == "--date") return &o.header.date;
    return nullptr;
}

std::string* OptionField(ExportOptions& o, std::string_view name) {
    if (name == "--data") return &o.dataFolder;
    if (name == "--nklassen") return &o.nutrientFile;
    if (name == "--crops") return &o.cropsFile;
    for (const OutputOption& option : kOutputOptions)
        if (option.name == name) return &(o.*option.file);
    return HeaderField(o, name);
}

std::string MissingValue(std::string_view name) {
    return "Die Option " + std::string(name) + " erwartet einen Wert.";
}

// Takes one option (and its value) from args[i], moving i past what it took.
// Returns the error, empty when the option is sound.
std::string TakeOption(std::span<const std::string> args, std::size_t& i, ExportOptions& options,
                       std::vector<std::string_view>& seen) {
    const std::string& arg = args[i];
    if (arg == "--help" || arg == "-h") {
        options.help = true;
        return {};
    }
    const std::size_t equals = arg.find('=');
    const std::string_view name =
        std::string_view(arg).substr(0, arg.starts_with("--") ? equals : std::string::npos);
    std::string* field = OptionField(options, name);
    if (!field)
        return arg.starts_with("-") ? "Unbekannte Option " + Quoted(arg) + "."
                                    : "Unerwartetes Argument " + Quoted(arg) + ".";
    if (std::find(seen.begin(), seen.end(), name) != seen.end())
        return "Die Option " + std::string(name) + " ist mehrfach angegeben.";
    seen.push_back(name);
    if (equals != std::string::npos)
        *field = arg.substr(equals + 1);
    else if (i + 1 < args.size())
        *field = args[++i];
    else
        return MissingValue(name);
    // Files and folders need a name; the header texts may be empty.
    if (field->empty() && !HeaderField(options, name)) return MissingValue(name);
    return {};
}

// Two options naming the same file would have one output overwrite the other.
std::string CheckOutputsDiffer(const ExportOptions& options) {
    std::vector<std::filesystem::path> outputs;
    for (const OutputOption& option : kOutputOptions) {
        const std::string& out = options.*option.file;
        if (out.empty()) continue;
        const std::filesystem::path path = AbsolutePath(PathFromUtf8(out));
        if (std::find(outputs.begin(), outputs.end(), path) != outputs.end())
            return "Die Ausgabedatei " + Quoted(out) + " ist mehrfach angegeben.";
        outputs.push_back(path);
    }
    return {};
}

}  // namespace

ParsedExportArgs ParseExportArgs(std::span<const std::string> args) {
    ParsedExportArgs result;
    ExportOptions options;
    std::vector<std::string_view> seen;
    for (std::size_t i = 0; i < args.size() && result.error.empty(); ++i)
        result.error = TakeOption(args, i, options, seen);
    if (result.error.empty() && !options.help) {
        result.error =
            options.dataFolder.empty() ? "Die Option --data fehlt." : CheckOutputsDiffer(options);
    }
    if (result.error.empty()) result.options = std::move(options);
    return result;
}

std::string ExportUsage() {
    return "Aufruf: kv4-export --data ORDNER [OPTIONEN]\n"
           "Baut die N- und P2O5-Arbeitsbl\xC3\xA4tter eines Kornavis-4-Datenordners wie das "
           "Programmfenster und schreibt sie als CSV- und PDF-Dateien.\n"
           "  --data ORDNER       Datenordner (wird nur gelesen, nie ver\xC3\xA4ndert)\n"
           "  --nklassen DATEI    N\xC3\xA4hrstoffklassentabelle (Vorgabe: NKlassen.dat im "
           "aktuellen Ordner)\n"
           "  --crops DATEI       Fruchtzuordnung, UTF-8, je Zeile "
           "\"Betriebsfrucht;Standardfrucht\"\n"
           "  --n-csv DATEI       N-Arbeitsblatt als CSV\n"
           "  --p-csv DATEI       P2O5-Arbeitsblatt als CSV\n"
           "  --n-pdf DATEI       N-Bericht als PDF\n"
           "  --p-pdf DATEI       P2O5-Bericht als PDF\n"
           "  --yields DATEI      Herkunft der Ertragserwartung je Schlag mit Hinweisen als CSV\n"
           "  --farm NAME         Betriebsname im Berichtskopf\n"
           "  --farm-no NUMMER    Betriebsnummer im Berichtskopf\n"
           "  --date TEXT         Datum im Berichtskopf\n"
           "  --help              diese Hilfe\n"
           "Ohne --crops wird nicht neu berechnet. Exit-Status: 0 fertig, 1 Fehler, "
           "2 Fehler in der Fruchtdatei, 3 Fehler bei der Neuberechnung (Dateien geschrieben).\n";
}

}  // namespace kv4
