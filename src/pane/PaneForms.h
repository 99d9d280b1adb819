#pragma once

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QString>

// Pages lay their controls out as labelled forms on their frames.
inline QFormLayout* formOn(QWidget* frame)
{
    if (auto* existing = qobject_cast<QFormLayout*>(frame->layout()))
        return existing;
    return new QFormLayout(frame);
}

// Adds a control under its caption; the label's buddy is the control, so its accelerator and
// screen readers reach it.
template <typename T>
T* addRow(QFormLayout* form, const QString& caption, T* control, const char* name)
{
    control->setObjectName(QString::fromLatin1(name));
    auto* label = new QLabel(caption);
    label->setBuddy(control);
    form->addRow(label, control);
    return control;
}

// A link across the whole width of a form: the mouse or the keyboard (Tab, then Enter) activates
// it, and QLabel::linkActivated says so.
inline QLabel* addLinkRow(QFormLayout* form, const QString& caption, const char* name)
{
    auto* link = new QLabel(QStringLiteral("<a href=\"#\">%1</a>").arg(caption.toHtmlEscaped()));
    link->setObjectName(QString::fromLatin1(name));
    link->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    link->setAccessibleName(caption);
    form->addRow(link);
    return link;
}

// An element of a control array: its name, "_" and its index ("cmbHandlerTransferType_2").
template <typename T>
T* namedElement(T* control, const char* name, int index)
{
    control->setObjectName(QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(index));
    return control;
}

template <typename T>
T* addElementRow(QFormLayout* form, const QString& caption, T* control, const char* name, int index)
{
    return namedElement(addRow(form, caption, control, name), name, index);
}

// A box that shows what the program fills in; the administrator changes it through other means.
inline QLineEdit* addReadOnly(QFormLayout* form, const QString& caption, const char* name)
{
    QLineEdit* box = addRow(form, caption, new QLineEdit, name);
    box->setReadOnly(true);
    return box;
}

// A read-only box with its "Set" button beside it.
inline QLineEdit* addBoxWithButton(QFormLayout* form, const QString& caption, const char* boxName, QPushButton*& button,
                                   const char* buttonName)
{
    auto* box = new QLineEdit;
    box->setObjectName(QLatin1String(boxName));
    box->setReadOnly(true);
    button = new QPushButton(QStringLiteral("Set"));
    button->setObjectName(QLatin1String(buttonName));
    auto* row = new QHBoxLayout;
    row->addWidget(box, 1);
    row->addWidget(button);
    auto* label = new QLabel(caption);
    label->setBuddy(box);
    form->addRow(label, row);
    return box;
}

// A box for a number of seconds, "(seconds)" after it.
inline QLineEdit* addSecondsRow(QFormLayout* form, const QString& caption, const char* name, int maxLength)
{
    auto* box = new QLineEdit;
    box->setObjectName(QLatin1String(name));
    box->setMaxLength(maxLength);
    auto* row = new QHBoxLayout;
    row->addWidget(box);
    row->addWidget(new QLabel(QStringLiteral("(seconds)")));
    row->addStretch();
    auto* label = new QLabel(caption);
    label->setBuddy(box);
    form->addRow(label, row);
    return box;
}

// The frame a media control is created in, with the record button beside it.
inline QGroupBox* addPlayerRow(QBoxLayout* layout, const char* frameName, QPushButton*& record, const char* recordName,
                               const QString& toolTip)
{
    auto* row = new QHBoxLayout;
    auto* frame = new QGroupBox;
    frame->setObjectName(QLatin1String(frameName));
    frame->setMinimumHeight(60);
    row->addWidget(frame, 1);
    record = new QPushButton(QStringLiteral("Record"));
    record->setObjectName(QLatin1String(recordName));
    record->setToolTip(toolTip);
    row->addWidget(record);
    layout->addLayout(row);
    return frame;
}
