#pragma once

#include <QTabWidget>

class QLabel;

// The "Directory Handler" page: its tab control `tabDirectoryHandlerInfo` is the page itself.
class DirectoryHandlerPage : public QTabWidget {
    Q_OBJECT
public:
    explicit DirectoryHandlerPage(QWidget* parent = nullptr);

    QLabel* lblSADirectoryHandlerJump;
};
