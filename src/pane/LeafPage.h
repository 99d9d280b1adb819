#pragma once

#include <QWidget>

class QLineEdit;

// The "Leaf" page: what a link row that leads to no object does.
class LeafPage : public QWidget {
    Q_OBJECT
public:
    explicit LeafPage(QWidget* parent = nullptr);

    QLineEdit* txtLeafAction;
};
