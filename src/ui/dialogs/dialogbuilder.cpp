#include "dialogbuilder.h"

#include "controls/fonts.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDialog>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QSlider>
#include <QTableView>

DialogUnits::DialogUnits(const QFont &dialogFont)
{
    // The platform's average character width: the alphabet's width over 26, rounded to an
    // integer the way dialog managers do it.
    const QFontMetrics metrics(dialogFont);
    const int alphabet = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    m_baseX = (alphabet / 26 + 1) / 2;
    m_baseY = metrics.height();
}

DialogUnits::DialogUnits(int baseX, int baseY)
    : m_baseX(baseX)
    , m_baseY(baseY)
{}

int DialogUnits::x(int units) const
{
    return qRound(units * m_baseX / 4.0);
}

int DialogUnits::y(int units) const
{
    return qRound(units * m_baseY / 8.0);
}

QRect DialogUnits::toPixels(const QRect &units) const
{
    return QRect(x(units.x()), y(units.y()), x(units.width()), y(units.height()));
}

QSize DialogUnits::toPixels(const QSize &units) const
{
    return QSize(x(units.width()), y(units.height()));
}

DialogBuilder::DialogBuilder(const DialogTemplate &dialogTemplate, Factory factory)
    : m_template(dialogTemplate)
    , m_factory(std::move(factory))
{}

void DialogBuilder::build(QDialog *dialog) const
{
    dialog->setWindowTitle(m_template.caption);
    dialog->setFont(PointFont(m_template.fontFace, m_template.fontPointSize));
    const DialogUnits units(dialog->font());
    dialog->resize(units.toPixels(m_template.size));

    QButtonGroup *radioGroup = nullptr;
    QWidget *previous = nullptr;
    for (const DialogControl &control : m_template.controls) {
        if (control.kind == ControlKind::SerialControl)
            continue;
        QWidget *widget = create(control, dialog);
        if (control.id >= 0)
            widget->setObjectName(QString::number(control.id));
        QRect rect = units.toPixels(control.rect);
        // A combo box's template height includes its drop-down list; the box itself is
        // as high as its font needs.
        if (control.kind == ControlKind::ComboBox)
            rect.setHeight(widget->sizeHint().height());
        widget->setGeometry(rect);
        if (!control.visible)
            widget->hide();

        if (control.groupStart)
            radioGroup = nullptr;
        if (auto *radio = qobject_cast<QRadioButton *>(widget)) {
            if (!radioGroup)
                radioGroup = new QButtonGroup(dialog);
            radioGroup->addButton(radio);
        }

        if (widget->focusPolicy() != Qt::NoFocus) {
            if (previous)
                QWidget::setTabOrder(previous, widget);
            previous = widget;
        }
    }
}

QWidget *DialogBuilder::create(const DialogControl &control, QWidget *parent) const
{
    if (m_factory) {
        if (QWidget *widget = m_factory(control, parent))
            return widget;
    }
    const Qt::Alignment centred = Qt::AlignHCenter | Qt::AlignTop;
    switch (control.kind) {
    case ControlKind::GroupBox:
        return new QGroupBox(control.caption, parent);
    case ControlKind::RadioButton:
        return new QRadioButton(control.caption, parent);
    case ControlKind::PushButton: {
        auto *button = new QPushButton(control.caption, parent);
        button->setAutoDefault(false);
        return button;
    }
    case ControlKind::Static: {
        auto *label = new QLabel(control.caption, parent);
        label->setAlignment(control.centred ? centred : Qt::AlignLeft | Qt::AlignTop);
        label->setWordWrap(true);
        return label;
    }
    case ControlKind::Edit: {
        auto *edit = new QLineEdit(parent);
        edit->setReadOnly(control.readOnly);
        edit->setFrame(control.border);
        if (control.centred)
            edit->setAlignment(Qt::AlignCenter);
        if (control.digitsOnly)
            edit->setValidator(new QRegularExpressionValidator(
                QRegularExpression(QStringLiteral("[0-9]*")), edit));
        return edit;
    }
    case ControlKind::ComboBox: {
        auto *combo = new QComboBox(parent);
        combo->setEditable(true);
        combo->setInsertPolicy(QComboBox::NoInsert);
        return combo;
    }
    case ControlKind::ListView: {
        auto *list = new QTableView(parent);
        list->verticalHeader()->hide();
        list->setFrameShape(control.border ? QFrame::StyledPanel : QFrame::NoFrame);
        return list;
    }
    case ControlKind::Trackbar:
        return new QSlider(Qt::Horizontal, parent);
    case ControlKind::Progress:
        return new QProgressBar(parent);
    case ControlKind::SerialControl:
        break;
    }
    return new QWidget(parent);
}
