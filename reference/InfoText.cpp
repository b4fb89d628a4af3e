#include "reference/InfoText.h"

#include <array>

namespace kv4 {

namespace {

using namespace std::string_view_literals;

// Paragraphs are broken by hand as the notice was always laid out; the
// blanks at some line ends belong to the text.
// clang-format off
constexpr std::array kLines{
    "Sehr geehrter Nutzer,"sv,
    ""sv,
    "bitte beachten Sie, dass dieses Programm keine automatische Düngebedarfermittlung durchführt. "sv,
    "Es ist nur eine Übergangslösung für das Jahr 2018 da der Kornavis 5 auf Grund der ganzen "sv,
    "Änderungen durch die neue Düngeverordnung noch nicht fertiggestellt werden konnte. "sv,
    "Das Programm ist für Ackerflächen gedacht, nicht für Grünland. Es soll den Nutzern des "sv,
    "Kornavis 4 Arbeit ersparen, indem es möglichst viele Daten aus dem Kornavis übernimmt: "sv,
    "die Liste der Schläge mit ihren Früchten und den durchschnittlichen Ertrag der drei "sv,
    "vorangegangenen Jahre. Dabei wird nicht geprüft, ob der Ertrag eines Jahres um mehr als 20% "sv,
    "von dem der anderen Jahre abweicht."sv,
    ""sv,
    "Stickstoff: Bereits eingegebene N-min-Proben des laufenden Jahres werden angezeigt, ebenso "sv,
    "die Abzüge für einen hohen Humusgehalt (mehr als 4%) und für eine organische Düngung im "sv,
    "Vorjahr (-10%). Den Basisertrag und den N-Bedarf beim Basisertrag müssen Sie immer selbst "sv,
    "eingeben. Da die Fruchtbezeichnungen in Ihrem Kornavis nicht mit den Bezeichnungen der "sv,
    "Düngeverordnung übereinstimmen müssen, klicken Sie auf das Feld [V] neben dem Basisertrag "sv,
    "und wählen dort die passende Fruchtart aus. Damit werden der Basisertrag, der N-Bedarf beim "sv,
    "Basisertrag sowie die Werte für Zu- und Abschläge übernommen. Auf Wunsch werden diese Werte "sv,
    "auch in die leeren Zeilen mit derselben Fruchtart übertragen. Zur Auswahl stehen nur die "sv,
    "häufigsten Fruchtarten; die Werte für andere Fruchtarten müssen Sie den Tabellen der "sv,
    "Düngeverordnung entnehmen."sv,
    ""sv,
    "Abzüge für die Vorfrucht oder für eine Zwischenfrucht können nicht aus dem Kornavis "sv,
    "übernommen werden. Geben Sie diese Abzüge bei Bedarf bitte selbst ein. Die nötigen Werte "sv,
    "entnehmen Sie bitte den Unterlagen zur Düngeverordnung oder den Unterlagen der "sv,
    "Landwirtschaftskammer."sv,
    ""sv,
    "Phosphat (P2O5): Neben den Ertragserwartungen werden die Bodenproben mit ihren "sv,
    "Gehaltsklassen angezeigt. Die Bedarfswerte geben Sie bitte selbst ein, denn sie können von "sv,
    "den Entzugswerten abweichen, die bisher im Kornavis hinterlegt sind."sv,
    ""sv,
    "Beachten Sie bitte:"sv,
    ""sv,
    "a: Es können keine Daten gespeichert werden! Die Kornavisdaten werden nicht verändert!"sv,
    "    Somit sind alle Daten die Sie hier eingeben wie z.B. N-min, nach dem Beenden des Programms "sv,
    "    verloren."sv,
    ""sv,
    "b: Stellen Sie sicher das Ihre Daten plausibel sind, denn eine Fehleranalyse der bestehenden Daten "sv,
    "    erfolgt nicht. (Wurde z.B. Eine Ernte ohne Ertragsmenge eingegeben, so veringert das automatisch "sv,
    "    den Durchschnittsertrag)"sv,
    ""sv,
    "Viel Erfolg im Kampf mit den Akten"sv,
};
// clang-format on

static_assert(kLines.size() == kInfoTextLineCount);

}  // namespace

std::span<const std::string_view, kInfoTextLineCount> InfoTextLines() { return kLines; }

std::string InfoText() {
    std::string text;
    for (std::size_t i = 0; i < kLines.size(); ++i) {
        if (i > 0) text += '\n';
        text += kLines[i];
    }
    return text;
}

}  // namespace kv4
