#include "dialogtemplate.h"

#include <QFile>
#include <QHash>
#include <QStringList>

namespace {

const QHash<QString, ControlKind> &KindNames()
{
    static const QHash<QString, ControlKind> names{
        {QStringLiteral("groupbox"), ControlKind::GroupBox},
        {QStringLiteral("radio"), ControlKind::RadioButton},
        {QStringLiteral("button"), ControlKind::PushButton},
        {QStringLiteral("static"), ControlKind::Static},
        {QStringLiteral("edit"), ControlKind::Edit},
        {QStringLiteral("combo"), ControlKind::ComboBox},
        {QStringLiteral("listview"), ControlKind::ListView},
        {QStringLiteral("trackbar"), ControlKind::Trackbar},
        {QStringLiteral("progress"), ControlKind::Progress},
        {QStringLiteral("serial"), ControlKind::SerialControl},
    };
    return names;
}

// The non-empty, non-comment lines of a text, each split at "|" into trimmed fields.
QList<QStringList> Records(const QString &text, QList<int> *lineNumbers)
{
    QList<QStringList> records;
    const QStringList lines = text.split(u'\n');
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        QStringList fields = line.split(u'|');
        for (QString &field : fields)
            field = field.trimmed();
        records.append(fields);
        lineNumbers->append(i + 1);
    }
    return records;
}

bool ToInt(const QString &text, int *value)
{
    bool ok = false;
    *value = text.toInt(&ok);
    return ok;
}

bool ParseControl(const QStringList &fields, DialogControl *control, QString *why)
{
    if (fields.size() != 8) {
        *why = QStringLiteral("expected 8 fields");
        return false;
    }
    if (fields[0] != u"-" && !ToInt(fields[0], &control->id)) {
        *why = QStringLiteral("bad id");
        return false;
    }
    const auto kind = KindNames().constFind(fields[1]);
    if (kind == KindNames().cend()) {
        *why = QStringLiteral("unknown kind \"%1\"").arg(fields[1]);
        return false;
    }
    control->kind = *kind;
    control->caption = fields[2];
    int x, y, w, h;
    if (!ToInt(fields[3], &x) || !ToInt(fields[4], &y) || !ToInt(fields[5], &w) ||
        !ToInt(fields[6], &h)) {
        *why = QStringLiteral("bad rectangle");
        return false;
    }
    control->rect = QRect(x, y, w, h);
    for (const QString &flag : fields[7].split(u',', Qt::SkipEmptyParts)) {
        const QString f = flag.trimmed();
        if (f == u"hidden")
            control->visible = false;
        else if (f == u"group")
            control->groupStart = true;
        else if (f == u"centre")
            control->centred = true;
        else if (f == u"readonly")
            control->readOnly = true;
        else if (f == u"number")
            control->digitsOnly = true;
        else if (f == u"border")
            control->border = true;
        else {
            *why = QStringLiteral("unknown flag \"%1\"").arg(f);
            return false;
        }
    }
    return true;
}

bool ParseHeader(const QStringList &fields, DialogTemplate *out)
{
    int width = 0;
    int height = 0;
    if (fields.size() != 7 || fields[0] != u"dialog" || !ToInt(fields[1], &out->id) ||
        !ToInt(fields[4], &out->fontPointSize) || !ToInt(fields[5], &width) ||
        !ToInt(fields[6], &height))
        return false;
    out->caption = fields[2];
    out->fontFace = fields[3];
    out->size = QSize(width, height);
    return true;
}

QString ReadResource(const QString &name)
{
    QFile file(QStringLiteral(":/templates/") + name);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("missing resource %s", qPrintable(name));
    return QString::fromUtf8(file.readAll());
}

} // namespace

const DialogControl *DialogTemplate::control(int controlId) const
{
    for (const DialogControl &c : controls) {
        if (c.id == controlId)
            return &c;
    }
    return nullptr;
}

bool ParseDialogTemplate(const QString &text, DialogTemplate *out, QString *error)
{
    QList<int> lineNumbers;
    const QList<QStringList> records = Records(text, &lineNumbers);
    *out = DialogTemplate();
    if (records.isEmpty() || !ParseHeader(records.first(), out)) {
        *error = QStringLiteral("line %1: expected the dialog line")
                     .arg(lineNumbers.isEmpty() ? 1 : lineNumbers.first());
        return false;
    }
    for (int i = 1; i < records.size(); ++i) {
        DialogControl control;
        QString why;
        if (!ParseControl(records[i], &control, &why)) {
            *error = QStringLiteral("line %1: %2").arg(lineNumbers[i]).arg(why);
            return false;
        }
        out->controls.append(control);
    }
    return true;
}

DialogTemplate LoadDialogTemplate(int id)
{
    DialogTemplate result;
    QString error;
    const QString name = QStringLiteral("dialog%1.txt").arg(id);
    if (!ParseDialogTemplate(ReadResource(name), &result, &error))
        qFatal("%s: %s", qPrintable(name), qPrintable(error));
    return result;
}

MenuTemplate LoadMenuTemplate(int id)
{
    MenuTemplate menu;
    menu.id = id;
    QList<int> lineNumbers;
    const QString name = QStringLiteral("menu%1.txt").arg(id);
    for (const QStringList &fields : Records(ReadResource(name), &lineNumbers)) {
        if (fields.size() != 2)
            qFatal("%s: expected two fields", qPrintable(name));
        if (fields[0] == u"popup") {
            menu.popupCaption = fields[1];
            continue;
        }
        MenuItem item;
        if (!ToInt(fields[0], &item.command))
            qFatal("%s: bad command id", qPrintable(name));
        item.caption = fields[1];
        menu.items.append(item);
    }
    return menu;
}

QString LoadResourceString(int id)
{
    static const QHash<int, QString> table = [] {
        QHash<int, QString> strings;
        QList<int> lineNumbers;
        for (const QStringList &fields :
             Records(ReadResource(QStringLiteral("strings.txt")), &lineNumbers)) {
            int stringId = 0;
            if (fields.size() == 2 && ToInt(fields[0], &stringId))
                strings.insert(stringId, fields[1]);
        }
        return strings;
    }();
    return table.value(id);
}
