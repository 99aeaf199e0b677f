// Builds a dialog's controls from its template: one widget per control, its objectName the
// control's id, placed by converting dialog units with the dialog font's metrics.
#pragma once

#include "dialogtemplate.h"

#include <QFont>
#include <QRect>

#include <functional>

class QDialog;
class QWidget;

// Dialog units to pixels: x·(average character width)/4, y·(character height)/8.
class DialogUnits {
public:
    explicit DialogUnits(const QFont &dialogFont);
    DialogUnits(int baseX, int baseY);

    int x(int units) const;
    int y(int units) const;
    QRect toPixels(const QRect &units) const;
    QSize toPixels(const QSize &units) const;

    int baseX() const { return m_baseX; }
    int baseY() const { return m_baseY; }

private:
    int m_baseX = 0;
    int m_baseY = 0;
};

class DialogBuilder {
public:
    // Makes a widget for a control instead of the default one, or returns nullptr.
    using Factory = std::function<QWidget *(const DialogControl &, QWidget *parent)>;

    explicit DialogBuilder(const DialogTemplate &dialogTemplate, Factory factory = {});

    // Sets the caption, font and client size of the dialog and creates every control except
    // serial controls (they have no window). Automatic radio buttons between two group starts
    // form one exclusive group; the tab order is the template's order.
    void build(QDialog *dialog) const;

private:
    QWidget *create(const DialogControl &control, QWidget *parent) const;

    DialogTemplate m_template;
    Factory m_factory;
};
