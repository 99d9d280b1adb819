#pragma once

#include "runtime/FileDialogs.h"
#include "system/UrlOpener.h"

class QWidget;

// The desktop's default handlers through QDesktopServices.
class QtUrlOpener : public UrlOpener {
public:
    bool openUrl(const QString& address) override;
};

// Production file dialogs: QFileDialog over the given parent window.
class QtFileDialogs : public FileDialogs {
public:
    explicit QtFileDialogs(QWidget* parent = nullptr)
        : m_parent(parent)
    {
    }
    void setParent(QWidget* parent) { m_parent = parent; }
    QString saveFileName(const SaveFileRequest& request) override;

private:
    QWidget* m_parent;
};
