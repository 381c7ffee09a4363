#pragma once

#include "PortDiagnosis.h"

#include <QString>

// The port list of `talvaro-cli ports` and of the support report: every COM number with
// its device, what the adapter says of itself, and the diagnosis.
namespace talvaro {

// "Hersteller, Produkt, Seriennummer ..." of what is known; empty when nothing is.
QString usbDeviceText(const UsbDevice& usb);

// "frei", "belegt", "von diesem Programm geöffnet", "nicht geprüft ..." or
// "nicht verfügbar: " and the reason.
QString portStatusText(const PortState& state);

// One line per port, its details indented below it, then the findings about the machine.
QString portListText(const Diagnosis& diagnosis);

} // namespace talvaro
