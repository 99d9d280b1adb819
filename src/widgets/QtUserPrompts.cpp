#include "widgets/QtUserPrompts.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>

int QtUserPrompts::msgBox(const QString& text, int buttons, const QString& title)
{
    const QString caption = title.isEmpty() ? QApplication::applicationName() : title;
    QMessageBox box(m_parent);
    box.setWindowTitle(caption);
    box.setText(text);
    const int icon = buttons & 0x70;
    box.setIcon(icon == Buttons::Critical      ? QMessageBox::Critical
                : icon == Buttons::Question    ? QMessageBox::Question
                : icon == Buttons::Exclamation ? QMessageBox::Warning
                : icon == Buttons::Information ? QMessageBox::Information
                                               : QMessageBox::NoIcon);
    switch (buttons & 0x7) {
    case Buttons::OKCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    case Buttons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    case Buttons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    default:
        box.setStandardButtons(QMessageBox::Ok);
    }
    switch (box.exec()) {
    case QMessageBox::Ok:
        return Answer::OK;
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        return Answer::Cancel;
    }
}

QString QtUserPrompts::inputBox(const QString& prompt, const QString& title, const QString& defaultText)
{
    bool ok = false;
    const QString caption = title.isEmpty() ? QApplication::applicationName() : title;
    const QString text = QInputDialog::getText(m_parent, caption, prompt, QLineEdit::Normal, defaultText, &ok);
    return ok ? text : QString();
}
