#pragma once

#include "runtime/FileDialogs.h"
#include "system/UrlOpener.h"

#include <QPointer>
#include <QWidget>

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
    // The window may go before this object does (main keeps it to the end of the run).
    QPointer<QWidget> m_parent;
};
