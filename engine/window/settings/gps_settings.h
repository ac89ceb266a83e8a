// The GPS page (dialog 176) of the engine settings: the serial port of a GPS
// receiver with its line parameters, the projection of its positions and the
// marker (one character in a chosen font) that shows it on the map. The
// values live in the "GPS Settings" sections of the engine's key.
#pragma once

#include "platform/font.h"

#include <string>
#include <vector>

struct _WNDRES;

// The line parameters the port monitor opens the port with.
class CGPSPortParams {
public:
    virtual ~CGPSPortParams() = default;
    int port = 1;
    int speed = 9600;
    int dataBits = 8;
    double stopBits = 1.0;       // 1.0, 1.5 or 2.0
    std::string parity = "None"; // "Even", "Mark", "None", "Odd", "Space" or "ERROR"
    // The device to open; empty: the port of that number (GpsPortDevice).
    std::string device;
};

// The serial ports of the system as the page numbers them (1 for the first),
// found without opening any of them: opening toggles the control lines and
// resets some receivers.
std::vector<std::string> GpsPortDevices();
// The device of a port number; empty when there is no such port.
std::string GpsPortDevice(int number);

class GpsSettingsModel {
public:
    static constexpr int kDialogId = 176;
    static constexpr size_t kProjectionMax = 255; // the wizard's buffer with its zero
    static constexpr size_t kFaceMax = 31;        // characters of the face name used

    // Fills the lists (the ports by ListPorts); reads nothing yet.
    explicit GpsSettingsModel(_WNDRES *rec);

    // Items of the five lists, in their order, and the selected ones (-1:
    // none).
    std::vector<std::string> speeds, stopBits, dataBits, parities, ports;
    int speed = -1, stop = -1, bits = -1, parity = -1, port = -1;

    std::string projection;
    std::string fontName;
    int32_t fontSize = 0, bold = 0, italic = 0, strikethrough = 0, underline = 0;
    LOGFONTA logFont{};
    std::string symbol;
    bool loaded = false;
    bool modified = false;

    // The numbers of the listed ports, sorted as texts.
    static std::vector<std::string> ListPorts();
    // The first item whose text begins with the text, regardless of case;
    // -1 when none does.
    static int SelectString(const std::vector<std::string> &list, const std::string &text);

    // Reads the stored values (missing ones select the recommended items).
    void LoadSettings();
    // Writes them.
    void SaveSettings() const;
    // The line parameters of the selected items.
    void FillPortParams(CGPSPortParams *params) const;
    // The spin beside the symbol: delta below 1 steps to the previous
    // character code, any other to the next, modulo 256; code 0 leaves the
    // symbol empty and the next step starts again from "+".
    void StepSymbol(int delta);
    // The font chooser ended with OK: face, size in screen pixels (whole
    // points at dpi pixels per inch), weight and effects.
    void FontChosen(const LOGFONTA &chosen, int pointTenths, int dpi);
    // A projection name from the wizard, cut to its buffer.
    void SetProjection(const std::string &name);
    // The marker font as built: the stored size and the LOGFONT's other
    // fields, the face cut to 31 characters.
    LOGFONTA MarkerFont() const;
    // Saves and tells the map window (MAPN_GPSREINIT).
    void Apply() const;

private:
    _WNDRES *rec_;
};
