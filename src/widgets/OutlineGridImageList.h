#pragma once

#include <QHash>
#include <QIcon>
#include <QString>
#include <QStringList>

// Pictures by key for the outline grid's cells, the way the main window's image list served
// them to the tree.
class OutlineGridImageList {
public:
    void add(const QString& key, const QIcon& icon);
    bool contains(const QString& key) const { return m_icons.contains(key); }
    QIcon icon(const QString& key) const; // null for a key the list does not hold
    QStringList keys() const;

    // Adds an SVG picture rendered once at the given size (and at twice it for high-dpi screens),
    // so that painting a long tree never renders an SVG again. False, and nothing added, when
    // the file cannot be read.
    bool addSvg(const QString& key, const QString& path, int size);

private:
    QHash<QString, QIcon> m_icons;
};
