#pragma once

#include <QFormLayout>
#include <QLabel>
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
