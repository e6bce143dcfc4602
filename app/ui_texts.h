// Every text the window program shows of its own, each written once; the build stores them as
// the Windows-1250 bytes the program's ANSI windows expect.
#pragma once

namespace UiText {

// The application's name, which is also the main window's title.
inline constexpr char ProgramName[] = "QX7 config";

// The main window's labels, group boxes and buttons, in layout order.
inline constexpr char Port[] = "Port";
inline constexpr char Transmitter[] = "Převodník";
inline constexpr char Firmware[] = "Firmware";
inline constexpr char SerialNumber[] = "Výrobní číslo";
inline constexpr char Output[] = "Výstup";
inline constexpr char Probe[] = "Sonda";
inline constexpr char MoreButton[] = "...";
// The main window's label and the caption of the calibration dialog's message box.
inline constexpr char Calibration[] = "Kalibrace";
inline constexpr char Input[] = "Vstup";
inline constexpr char Offset[] = "Offset";
inline constexpr char Sensitivity[] = "Citlivost";
inline constexpr char Damping[] = "Tlumení";
inline constexpr char RangeMin[] = "Min";
inline constexpr char WriteButton[] = "Zápis";
inline constexpr char RangeMax[] = "Max";
inline constexpr char TemperatureCompensation[] = "Teplotní kompenzace";
inline constexpr char Sensor[] = "Čidlo";
inline constexpr char InternalValues[] = "Interní hodnoty";
inline constexpr char Resistance[] = "Odpor [Ohm]";
inline constexpr char Temperature[] = "Teplota [°C]";
inline constexpr char Voltage[] = "Napětí [mV]";
inline constexpr char MeasuredValue[] = "Hodnota";
inline constexpr char Ratio[] = "Ratio [%]";
inline constexpr char ReadCheck[] = "Číst";

// What a live field shows instead of the transmitter's fault pattern.
inline constexpr char ResistanceFault[] = "Porucha";
inline constexpr char TemperatureFault[] = "Neplatná";

// The message box over a transmitter whose identity is not the tool's.
inline constexpr char IncompatibleTransmitter[] = "Převodník není kompatibilní s tímto nástrojem.";

// The dialogs' messages.
inline constexpr char CommunicationError[] = "Chyba komunikace";
inline constexpr char PointsRefused[] = "Chyba kalibračních bodů.";
// Where a point's temperature would be when the point has no standard.
inline constexpr char NoStandard[] = "Chyba";
// After a calibration or a probe type reset whose record could not be kept; the folder follows.
inline constexpr char RecordNotKept[] = "Záznam kalibrace se nepodařilo uložit do složky:\n";
inline constexpr char NoRecordsFolder[] = "(složka není určena: nastavte QX7_RECORDS)";

}  // namespace UiText
