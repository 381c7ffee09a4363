#pragma once

#include "PortDiagnosis.h"

#include <QString>

// The port list of `talvaro-cli ports` and of the support report: every COM number with
// its device, what the adapter says of itself, and the diagnosis.
namespace talvaro {

struct PortDescription {
    QString manufacturer;
    QString product;
    QString serialNumber;
    // "Hersteller, Produkt, Seriennummer ..." of what is known; empty when nothing is.
    QString text() const;
};

PortDescription describePort(const QString& path);

// "frei", or "nicht verfügbar: " and the reason.
QString accessText(const PortAccess& access);

// One line per port, its details indented below it, then the findings about the machine.
QString portListText(const Diagnosis& diagnosis);

} // namespace talvaro
