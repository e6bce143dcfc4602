#include "cli/certificate_page.h"

#include <cstdio>

using nlohmann::json;

namespace {

// Every text of the page in both languages, in the order the page uses them.
struct Words {
    const char* Title;
    const char* Device;
    const char* Identity;
    const char* Firmware;
    const char* SerialNumber;
    const char* Event;
    const char* Time;
    const char* Operator;
    const char* Tool;
    const char* Points;
    const char* Point;
    const char* Buffer;
    const char* Typed;
    const char* Temperature;
    const char* Standard;
    const char* Voltage;
    const char* Samples;
    const char* Spread;
    const char* Result;
    const char* Slope;
    const char* SlopePercent;
    const char* ZeroPoint;
    const char* Offset;
    const char* Verdict;
    const char* Limits;
    const char* LimitsText;
    const char* AsFound;
    const char* AsLeft;
    const char* ProbeKind;
    const char* CalibrationDate;
    const char* Outcome;
    const char* Reason;
    const char* Record;
    const char* LineOf;
    const char* Hash;
    const char* HashNote;
    const char* Chain;
    const char* Signature;
    const char* Reviewer;
    const char* NameDate;
    const char* None;
};

constexpr Words English = {
    "Calibration certificate",
    "Device",
    "Identity",
    "Firmware",
    "Serial number",
    "Event",
    "Time (UTC)",
    "Operator",
    "Tool",
    "Buffers and points",
    "Point",
    "Buffer",
    "typed standard",
    "Temperature [°C]",
    "Standard",
    "Mean voltage [mV]",
    "Samples",
    "Spread [mV]",
    "Result",
    "Slope [mV/pH]",
    "Slope [% of −59.16 mV/pH]",
    "Zero point [pH]",
    "Offset at pH 7 [mV]",
    "Verdict",
    "Limits",
    "slope good %s to %s %%, check %s to %s %%; offset good up to %s mV, check up to %s mV",
    "As found",
    "As left",
    "Probe kind",
    "Calibration date",
    "Outcome",
    "Reason",
    "Record",
    "line %zu of %s",
    "Chain hash (SHA-256 of this record's line)",
    "The next line of the log carries this hash; a changed record no longer matches it.",
    "Log chain when printed",
    "Signature",
    "Reviewed by",
    "name, date",
    "none",
};

constexpr Words Czech = {
    "Kalibrační protokol",
    "Přístroj",
    "Identita",
    "Firmware",
    "Výrobní číslo",
    "Událost",
    "Čas (UTC)",
    "Pracovník",
    "Nástroj",
    "Pufry a body",
    "Bod",
    "Pufr",
    "zadaný normál",
    "Teplota [°C]",
    "Normál",
    "Průměrné napětí [mV]",
    "Vzorků",
    "Rozptyl [mV]",
    "Výsledek",
    "Strmost [mV/pH]",
    "Strmost [% z −59,16 mV/pH]",
    "Nulový bod [pH]",
    "Offset při pH 7 [mV]",
    "Hodnocení",
    "Meze",
    "strmost dobrá %s až %s %%, ke kontrole %s až %s %%; offset dobrý do %s mV, ke kontrole "
    "do %s mV",
    "Stav před",
    "Stav po",
    "Druh sondy",
    "Datum kalibrace",
    "Výsledek zápisu",
    "Důvod",
    "Záznam",
    "řádek %zu souboru %s",
    "Kontrolní součet řetězce (SHA-256 řádku záznamu)",
    "Následující řádek záznamů nese tento součet; změněný záznam mu už neodpovídá.",
    "Řetězec záznamů při tisku",
    "Podpis",
    "Kontroloval",
    "jméno, datum",
    "není",
};

std::string Html(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += c;
                break;
        }
    }
    return out;
}

// A value of the record as text: strings as they are, numbers as JSON writes them.
std::string Value(const json& value, const Words& words) {
    if (value.is_string()) {
        return Html(value.get<std::string>());
    }
    if (value.is_number()) {
        return value.dump();
    }
    if (value.is_boolean()) {
        return value.get<bool>() ? "true" : "false";
    }
    return words.None;
}

// A number with the decimals the window program shows it with.
std::string Number(const json& value, int decimals, const Words& words) {
    if (!value.is_number()) {
        return words.None;
    }
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value.get<double>());
    return text;
}

std::string Row(const char* name, const std::string& value) {
    return std::string("<tr><th>") + name + "</th><td>" + value + "</td></tr>\n";
}

const char* Style =
    "@page { size: A4; margin: 14mm 16mm; }\n"
    "* { box-sizing: border-box; }\n"
    "body { font: 10pt/1.35 'DejaVu Sans', Arial, sans-serif; color: #000; margin: 0; }\n"
    "h1 { font-size: 16pt; margin: 0 0 2mm; }\n"
    "h2 { font-size: 11pt; margin: 4mm 0 1.5mm; border-bottom: 0.4mm solid #000; }\n"
    "table { border-collapse: collapse; width: 100%; }\n"
    "th, td { text-align: left; padding: 0.8mm 2mm; border: 0.2mm solid #888; "
    "vertical-align: top; }\n"
    "th { background: #eee; font-weight: 600; }\n"
    ".pair { display: flex; gap: 6mm; }\n"
    ".pair > div { flex: 1; }\n"
    ".hash { font-family: 'DejaVu Sans Mono', monospace; font-size: 8.5pt; "
    "word-break: break-all; }\n"
    ".note { font-size: 8.5pt; color: #333; }\n"
    ".nowrap { white-space: nowrap; }\n"
    ".sign { display: flex; gap: 10mm; margin-top: 12mm; }\n"
    ".sign > div { flex: 1; border-top: 0.3mm solid #000; padding-top: 1mm; }\n"
    "@media screen { body { max-width: 190mm; margin: 10mm auto; } }\n";

std::string ValuesTable(const json& values, const Words& words) {
    std::string html = "<table>\n";
    html += Row(words.ProbeKind, Value(values["probe_kind"], words));
    html += Row(words.Offset, Number(values["offset_mv"], 3, words));
    html += Row(words.Slope, Number(values["slope_mv"], 3, words));
    html += Row(words.CalibrationDate, Value(values["calibration_date"], words));
    return html + "</table>\n";
}

std::string PointsTable(const json& points, const Words& words) {
    std::string html = std::string("<table>\n<tr><th>") + words.Point + "</th><th>" + words.Buffer +
                       "</th><th>" + words.Temperature + "</th><th>" + words.Standard +
                       "</th><th>" + words.Voltage + "</th><th>" + words.Samples + "</th><th>" +
                       words.Spread + "</th></tr>\n";
    int number = 0;
    for (const json& point : points) {
        const json& buffer = point["buffer"];
        html += "<tr><td>" + std::to_string(++number) + "</td><td class=\"nowrap\">" +
                (buffer.is_string() ? Html(buffer.get<std::string>()) : words.Typed) + "</td><td>" +
                Number(point["temperature_c"], 2, words) + "</td><td>" +
                Number(point["standard"], 3, words) + "</td><td>" +
                Number(point["voltage_mv"], 3, words) + "</td><td>" +
                Value(point["samples"], words) + "</td><td>" +
                Number(point["spread_mv"], 2, words) + "</td></tr>\n";
    }
    return html + "</table>\n";
}

std::string ResultTable(const json& record, const Words& words) {
    const json& left = record["as_left"];
    const json& judgement = record["judgement"];
    std::string html = "<table>\n";
    html += Row(words.Slope, Number(left["slope_mv"], 3, words));
    html += Row(words.Offset, Number(left["offset_mv"], 3, words));
    if (judgement.is_object()) {
        html += Row(words.SlopePercent, Number(judgement["slope_percent"], 1, words));
        html += Row(words.ZeroPoint, Number(judgement["zero_point_ph"], 2, words));
        html += Row(words.Verdict, "<b>" + Value(judgement["overall"], words) + "</b> (" +
                                       Value(judgement["slope_rating"], words) + ", " +
                                       Value(judgement["zero_point_rating"], words) + ")");
        const json& limits = judgement["limits"];
        char text[400];
        std::snprintf(text, sizeof text, words.LimitsText,
                      Value(limits["slope_good_min"], words).c_str(),
                      Value(limits["slope_good_max"], words).c_str(),
                      Value(limits["slope_check_min"], words).c_str(),
                      Value(limits["slope_check_max"], words).c_str(),
                      Value(limits["offset_good"], words).c_str(),
                      Value(limits["offset_check"], words).c_str());
        html += Row(words.Limits, text);
    }
    html += Row(words.Outcome, Value(record["outcome"]["result"], words));
    if (record["outcome"]["reason"].is_string()) {
        html += Row(words.Reason, Value(record["outcome"]["reason"], words));
    }
    return html + "</table>\n";
}

}  // namespace

std::string CertificatePage(const CertificateSource& source, const std::string& lang) {
    const Words& words = lang == "cs" ? Czech : English;
    const json& record = source.Record;
    const json& device = record["device"];
    std::string html = "<!DOCTYPE html>\n<html lang=\"" + std::string(lang == "cs" ? "cs" : "en") +
                       "\">\n<head>\n<meta charset=\"utf-8\">\n<title>" + words.Title + " " +
                       Value(device["serial_number"], words) + "</title>\n<style>\n" + Style +
                       "</style>\n</head>\n<body>\n";
    html += std::string("<h1>") + words.Title + "</h1>\n";
    html += "<div class=\"pair\"><div>\n<h2>" + std::string(words.Device) + "</h2>\n<table>\n";
    html += Row(words.Identity, Value(device["identity"], words));
    html += Row(words.Firmware, Value(device["firmware"], words));
    html += Row(words.SerialNumber, Value(device["serial_number"], words));
    html += "</table>\n</div><div>\n<h2>" + std::string(words.Record) + "</h2>\n<table>\n";
    html += Row(words.Event, Value(record["event"], words));
    html += Row(words.Time, Value(record["time"], words));
    html += Row(words.Operator, Value(record["operator"], words));
    html += Row(words.Tool, Value(record["tool"]["program"], words) + " " +
                                Value(record["tool"]["version"], words));
    html += "</table>\n</div></div>\n";
    if (record["points"].is_array() && !record["points"].empty()) {
        html +=
            "<h2>" + std::string(words.Points) + "</h2>\n" + PointsTable(record["points"], words);
    }
    html += "<h2>" + std::string(words.Result) + "</h2>\n" + ResultTable(record, words);
    html += "<div class=\"pair\"><div>\n<h2>" + std::string(words.AsFound) + "</h2>\n" +
            ValuesTable(record["as_found"], words) + "</div><div>\n<h2>" + words.AsLeft +
            "</h2>\n" + ValuesTable(record["as_left"], words) + "</div></div>\n";
    char line[600];
    std::snprintf(line, sizeof line, words.LineOf, source.Line, Html(source.LogPath).c_str());
    html += "<h2>" + std::string(words.Hash) + "</h2>\n<p class=\"hash\">" + source.LineHash +
            "</p>\n<p class=\"note\">" + words.HashNote + " " + words.Record + ": " + line + ". " +
            words.Chain + ": " + Html(source.ChainState) + ".</p>\n";
    html += "<div class=\"sign\"><div>" + std::string(words.Signature) + " (" + words.NameDate +
            ")</div><div>" + words.Reviewer + " (" + words.NameDate + ")</div></div>\n";
    return html + "</body>\n</html>\n";
}
