// A dialog layout as data: the caption, font and size of a dialog and its controls in tab order,
// with positions in dialog units. Read from the text files in resources/ (dialog102.txt, …).
//
// File format, one record a line, fields separated by " | ", lines starting with # ignored:
//   dialog | <id> | <caption> | <font face> | <point size> | <width> | <height>
//   <id or -> | <kind> | <caption> | <x> | <y> | <width> | <height> | <flags>
// Flags, separated by commas: hidden, group (starts a group), centre, readonly, number, border.
#pragma once

#include <QList>
#include <QRect>
#include <QString>

enum class ControlKind {
    GroupBox,
    RadioButton,
    PushButton,
    Static,
    Edit,
    ComboBox,
    ListView,
    Trackbar,
    Progress,
    SerialControl,
};

struct DialogControl {
    int id = -1; // -1: a control the program never addresses
    ControlKind kind = ControlKind::Static;
    QString caption;
    QRect rect; // dialog units
    bool visible = true;
    bool groupStart = false;
    bool centred = false;
    bool readOnly = false;
    bool digitsOnly = false;
    bool border = false;
};

struct DialogTemplate {
    int id = 0;
    QString caption;
    QString fontFace;
    int fontPointSize = 9;
    QSize size;                    // dialog units
    QList<DialogControl> controls; // in tab order

    const DialogControl *control(int id) const;
};

// Parses a template text; errors name the line. Returns false on the first bad line.
bool ParseDialogTemplate(const QString &text, DialogTemplate *out, QString *error);
// Loads one of the built-in templates (102, 146); aborts if the resource is broken.
DialogTemplate LoadDialogTemplate(int id);

// A popup menu as data: menuNNN.txt holds "popup | <caption>" and then "<command id> | <caption>".
struct MenuItem {
    int command = 0;
    QString caption;
};
struct MenuTemplate {
    int id = 0;
    QString popupCaption;
    QList<MenuItem> items;
};
MenuTemplate LoadMenuTemplate(int id);

// The string table (strings.txt: "<id> | <text>"); an empty string for an id it lacks.
QString LoadResourceString(int id);
