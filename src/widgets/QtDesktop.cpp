#include "widgets/QtDesktop.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QUrl>

bool QtUrlOpener::openUrl(const QString& address)
{
    // Tolerant parsing keeps the address's own percent escapes as they are.
    return QDesktopServices::openUrl(QUrl(address, QUrl::TolerantMode));
}

QString QtFileDialogs::saveFileName(const SaveFileRequest& request)
{
    const QString start = request.folder.isEmpty() ? request.fileName : QDir(request.folder).filePath(request.fileName);
    return QFileDialog::getSaveFileName(m_parent, request.title, start, request.filter, nullptr, QFileDialog::DontConfirmOverwrite);
}
