#pragma once

#include "model/DeviceTypes.h"

#include <QHash>
#include <QList>
#include <QString>

class QLabel;
class QWidget;

namespace talvaro {

class PinEdit;

// The controls of the setting pages, named as the configuration model names them, and
// the window's side of adapting them to a device type: row order, columns, headings,
// the contact blocks and the model picture.
class EditorPages {
public:
    // `pages` maps the page panel names to the (empty) page widgets.
    explicit EditorPages(const QHash<QString, QWidget*>& pages);

    // The layout's own positions, taken once before any device type is applied; every
    // later layout starts from them, so switching types never drifts.
    struct LayoutMemory {
        QList<int> kindPanelHeights;    // PanelTyp1..6
        QList<int> permissionTops;      // PanelBerecht1..6
        QList<int> kindButtonTops;      // Notruf, Telefon, Anrufbeantworter, TFE, Fax of ext. 21
        QList<int> kindLabelTops;       // lblTypNotruf, lblTypTel, lblTypAB, lblTypTFE, lblTypFax
        QList<int> permissionLabelTops; // lblVollamt, lblHalbamt, lblNichtamt, lblTuer
    };
    void recordLayout();
    const LayoutMemory& layoutMemory() const { return m_memory; }

    void applyDeviceType(DeviceType type);

    // A cell of the extension grids and the labels over its row and column, as built:
    // the row's caption, and the word and number that head the column.
    struct GridCell {
        QWidget* control;
        const QLabel* row;
        const QLabel* columnWord;
        const QLabel* columnNumber;
    };
    const QList<GridCell>& permissionCells() const { return m_permissionCells; }
    const QList<GridCell>& ringCells() const { return m_ringCells; }

    QList<QWidget*> pageWidgets() const { return m_pages.values(); }
    PinEdit* pinField() const { return m_pin; }
    QWidget* widget(const QString& name) const;

    static int columnLeft(DeviceType type, int extension); // extension 1..6

private:
    void buildLine(QWidget* page);
    void buildKinds(QWidget* page);
    void buildRing(QWidget* page);
    void buildNachwahl(QWidget* page);
    void buildErweitert(QWidget* page);
    void buildContacts(QWidget* page);
    void buildImage(QWidget* page);
    void layoutKindPage(DeviceType type);

    QHash<QString, QWidget*> m_pages;
    QHash<QString, QWidget*> m_named;
    LayoutMemory m_memory;
    QList<GridCell> m_permissionCells;
    QList<GridCell> m_ringCells;
    PinEdit* m_pin = nullptr;
    QLabel* m_picture = nullptr;
};

} // namespace talvaro
