#pragma once

#include "runtime/FileDialogs.h"
#include "system/UrlOpener.h"

#include <QStringList>
#include <deque>

// Records every address instead of opening it.
class FakeUrlOpener : public UrlOpener {
public:
    bool openUrl(const QString& address) override
    {
        opened << address;
        return true;
    }
    QStringList opened;
};

// Save dialogs answered from a script: the next file name, or a cancel (the empty text) when the
// script has run out. Every request is kept.
class ScriptedFileDialogs : public FileDialogs {
public:
    QString saveFileName(const SaveFileRequest& request) override
    {
        requests.push_back(request);
        if (m_names.empty())
            return QString();
        const QString name = m_names.front();
        m_names.pop_front();
        return name;
    }
    void chooseNext(const QString& path) { m_names.push_back(path); }

    std::vector<SaveFileRequest> requests;

private:
    std::deque<QString> m_names;
};
