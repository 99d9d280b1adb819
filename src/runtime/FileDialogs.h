#pragma once

#include <QString>

// What a save dialog is set up with. The filter is Qt's form: "Text File (*.txt)".
struct SaveFileRequest {
    QString title;
    QString folder;
    QString fileName;
    QString filter;
};

// File dialogs behind one interface, like the message boxes, so that tests give the file name.
class FileDialogs {
public:
    virtual ~FileDialogs() = default;
    // The full path chosen, or the empty text when the dialog was cancelled. It asks nothing
    // about an existing file of that name: the caller asks its own question.
    virtual QString saveFileName(const SaveFileRequest& request) = 0;
};
